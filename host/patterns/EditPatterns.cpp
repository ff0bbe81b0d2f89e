#include "patterns/EditPatterns.h"

#include <algorithm>

namespace vthost {
namespace {

using TextOption = std::optional<std::string> EditOptions::*;

struct NamedOption {
  const char* field;  // the field the option sets
  TextOption option;
};

constexpr NamedOption kTextOptions[] = {{"title", &EditOptions::title},     {"artist", &EditOptions::artist},
                                        {"album", &EditOptions::album},     {"year", &EditOptions::year},
                                        {"comment", &EditOptions::comment}, {"genre", &EditOptions::genre},
                                        {"track", &EditOptions::track}};

}  // namespace

std::variant<EditPatterns, std::string> EditPatterns::Parse(const EditOptions& options,
                                                            const std::optional<std::string>& fromName) {
  EditPatterns patterns;
  patterns.base_ = options;
  for (const NamedOption& named : kTextOptions) {
    const std::optional<std::string>& text = options.*named.option;
    if (!text) continue;
    auto parsed = Pattern::Parse(*text);
    if (auto* error = std::get_if<std::string>(&parsed))
      return "--" + std::string(named.field) + ": " + *error;
    patterns.texts_.push_back({named.option, "", std::get<Pattern>(std::move(parsed))});
  }
  for (const std::string& assignment : options.info) {
    const std::size_t equals = assignment.find('=');
    if (equals == std::string::npos) continue;  // PrepareEdits names the mistake
    auto parsed = Pattern::Parse(assignment.substr(equals + 1));
    if (auto* error = std::get_if<std::string>(&parsed)) return "--info " + assignment + ": " + *error;
    patterns.texts_.push_back({nullptr, assignment.substr(0, equals), std::get<Pattern>(std::move(parsed))});
  }
  if (fromName) {
    auto parsed = NamePattern::Parse(*fromName);
    if (auto* error = std::get_if<std::string>(&parsed)) return "--from-name: " + *error;
    patterns.fromName_ = std::get<NamePattern>(std::move(parsed));
  }
  return patterns;
}

bool EditPatterns::PerFile() const {
  return fromName_ || std::any_of(texts_.begin(), texts_.end(),
                                  [](const TextPattern& text) { return text.pattern.HasFields(); });
}

std::optional<EditOptions> EditPatterns::ForFile(const std::filesystem::path& path,
                                                 FieldValues values) const {
  EditOptions edits = base_;
  edits.info.clear();
  if (fromName_) {
    const auto read = fromName_->Match(path);
    if (!read) return std::nullopt;
    for (const auto& [field, value] : *read) {
      values[field] = value;
      const auto named = std::find_if(std::begin(kTextOptions), std::end(kTextOptions),
                                      [&](const NamedOption& option) { return field == option.field; });
      if (named != std::end(kTextOptions)) {
        if (!(base_.*named->option)) edits.*named->option = value;
      } else if (std::none_of(texts_.begin(), texts_.end(), [&](const TextPattern& text) {
                   return !text.option && CanonicalField(text.infoId) == field;
                 })) {
        edits.info.push_back(field + "=" + value);
      }
    }
  }
  for (const TextPattern& text : texts_) {
    const std::string rendered = text.pattern.Render(values);
    if (text.option) {
      edits.*text.option = rendered;
    } else {
      edits.info.push_back(text.infoId + "=" + rendered);
    }
  }
  return edits;
}

}  // namespace vthost
