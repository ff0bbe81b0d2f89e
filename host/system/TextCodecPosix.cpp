// iconv converts between UTF-8 and any code page the C library knows.
#include <iconv.h>

#include <cerrno>
#include <vector>

#include "system/TextCodec.h"

namespace vthost {
namespace {

class Converter {
 public:
  Converter(const std::string& to, const std::string& from) : handle_(iconv_open(to.c_str(), from.c_str())) {}
  ~Converter() {
    if (Ok()) iconv_close(handle_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool Ok() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

  // Converts `in`; a byte sequence that does not convert is either skipped
  // one byte at a time with `replacement` written for it, or, with no
  // replacement, ends the conversion with nothing.
  std::optional<std::string> Run(std::string_view in, const char* replacement) {
    std::string out;
    std::vector<char> chunk(4 * in.size() + 16);
    char* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    bool flushed = false;
    while (!flushed) {
      char* outPtr = chunk.data();
      std::size_t outLeft = chunk.size();
      std::size_t done;
      if (inLeft != 0) {
        done = iconv(handle_, &inPtr, &inLeft, &outPtr, &outLeft);
      } else {
        // A null input ends the shift state of stateful code pages.
        done = iconv(handle_, nullptr, nullptr, &outPtr, &outLeft);
        flushed = done != static_cast<std::size_t>(-1);
      }
      const int error = errno;
      out.append(chunk.data(), static_cast<std::size_t>(outPtr - chunk.data()));
      if (done != static_cast<std::size_t>(-1) || error == E2BIG) continue;
      if (inLeft == 0) break;
      if (replacement == nullptr) return std::nullopt;
      out += replacement;  // a byte that means nothing here, or a sequence cut short
      ++inPtr;
      --inLeft;
    }
    return out;
  }

 private:
  iconv_t handle_;
};

}  // namespace

bool IsKnownEncoding(const std::string& encoding) {
  return Converter("UTF-8", encoding).Ok() && Converter(encoding, "UTF-8").Ok();
}

std::string ToDisplay(std::string_view bytes, const std::string& encoding) {
  if (IsValidUtf8(bytes)) return std::string(bytes);
  Converter decode("UTF-8", encoding);
  if (!decode.Ok()) return std::string(bytes);
  return *decode.Run(bytes, "\xEF\xBF\xBD");
}

std::optional<std::string> Encode(std::string_view utf8, const std::string& encoding) {
  Converter encode(encoding, "UTF-8");
  if (!encode.Ok()) return std::nullopt;
  return encode.Run(utf8, nullptr);
}

}  // namespace vthost
