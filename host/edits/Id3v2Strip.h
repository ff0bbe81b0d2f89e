// An ID3v2 tag taken out of the audio of a RIFF file. The module copies a
// bare stream's bytes into the RMP3 data chunk as they are, an ID3v2 tag in
// front included, where players take the tag for audio and fail on it; the
// command refuses that unless it is asked to take the tag out, which it
// does after the module's write, by cutting the tag from the data chunk.
#pragma once

#include <cstdint>

#include "ByteSource.h"
#include "edits/ContentPlan.h"
#include "edits/ModuleOutput.h"

namespace vthost {

// The bytes the tags at the start of the audio take: every ID3v2 tag there
// (header, frames, padding and footer) and the zero bytes behind the last,
// up to the first frame. 0 when the audio starts with no tag.
std::uint64_t LeadingTagSize(vtinspect::ByteSource& file, const AudioSpan& audio);

// The RIFF file of `fileSize` bytes with its data chunk (`data`, the
// chunk's body) `cut` bytes shorter at the front: the data and RIFF sizes
// lessened, the pad byte behind an odd size put right, and the chunks
// behind moved up. `riffSize` is the file's RIFF size word.
ContentPlan PlanDataCut(std::uint32_t riffSize, const AudioSpan& data, std::uint64_t fileSize,
                        std::uint64_t cut);

}  // namespace vthost
