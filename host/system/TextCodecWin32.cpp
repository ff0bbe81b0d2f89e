// Windows converts through UTF-16 with its own code pages, named here by
// the names iconv knows them by (CP932, WINDOWS-1252, ISO-8859-1, UTF-8...).
#include <windows.h>

#include <algorithm>
#include <cctype>
#include <map>

#include "system/TextCodec.h"

namespace vthost {
namespace {

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

bool AllDigits(const std::string& text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

// The code page number for a name, or 0 when there is none.
UINT CodePageOf(const std::string& encoding) {
  static const std::map<std::string, UINT> kNamed = {
      {"UTF-8", CP_UTF8}, {"UTF8", CP_UTF8}, {"SHIFT_JIS", 932},   {"SHIFT-JIS", 932}, {"SJIS", 932},
      {"MS_KANJI", 932},  {"EUC-JP", 20932}, {"GBK", 936},         {"GB2312", 936},    {"BIG5", 950},
      {"EUC-KR", 949},    {"UHC", 949},      {"KOI8-R", 20866},    {"KOI8-U", 21866},  {"US-ASCII", 20127},
      {"ASCII", 20127},   {"LATIN1", 28591}, {"MACINTOSH", 10000},
  };
  const std::string name = Upper(encoding);
  if (auto found = kNamed.find(name); found != kNamed.end()) return found->second;
  for (const char* prefix : {"CP", "WINDOWS-", "IBM"}) {
    const std::string digits = name.rfind(prefix, 0) == 0 ? name.substr(std::string(prefix).size()) : "";
    if (AllDigits(digits) && digits.size() <= 5) return static_cast<UINT>(std::stoul(digits));
  }
  if (name.rfind("ISO-8859-", 0) == 0) {
    const std::string part = name.substr(9);
    if (AllDigits(part) && part.size() <= 2) return 28590 + static_cast<UINT>(std::stoul(part));
  }
  return 0;
}

std::wstring Widen(std::string_view text, UINT codePage, DWORD flags) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int count = ::MultiByteToWideChar(codePage, flags, text.data(), size, nullptr, 0);
  if (count <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(count), L'\0');
  ::MultiByteToWideChar(codePage, flags, text.data(), size, wide.data(), count);
  return wide;
}

}  // namespace

bool IsKnownEncoding(const std::string& encoding) {
  const UINT codePage = CodePageOf(encoding);
  return codePage != 0 && ::IsValidCodePage(codePage);
}

std::string ToDisplay(std::string_view bytes, const std::string& encoding) {
  if (IsValidUtf8(bytes) || !IsKnownEncoding(encoding)) return std::string(bytes);
  // Without MB_ERR_INVALID_CHARS bytes that mean nothing become U+FFFD.
  const std::wstring wide = Widen(bytes, CodePageOf(encoding), 0);
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int count = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  if (count <= 0) return {};
  std::string out(static_cast<std::size_t>(count), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, out.data(), count, nullptr, nullptr);
  return out;
}

std::optional<std::string> Encode(std::string_view utf8, const std::string& encoding) {
  if (!IsKnownEncoding(encoding)) return std::nullopt;
  if (utf8.empty()) return std::string();
  const std::wstring wide = Widen(utf8, CP_UTF8, MB_ERR_INVALID_CHARS);
  if (wide.empty()) return std::nullopt;
  const UINT codePage = CodePageOf(encoding);
  const int size = static_cast<int>(wide.size());
  // UTF-8 and UTF-7 take no default character: every character has a form.
  const bool lossy = codePage != CP_UTF8 && codePage != CP_UTF7;
  const DWORD flags = lossy ? WC_NO_BEST_FIT_CHARS : 0;
  BOOL usedDefault = FALSE;
  const int count = ::WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, nullptr,
                                          lossy ? &usedDefault : nullptr);
  if (count <= 0 || usedDefault) return std::nullopt;
  std::string out(static_cast<std::size_t>(count), '\0');
  ::WideCharToMultiByte(codePage, flags, wide.data(), size, out.data(), count, nullptr, nullptr);
  return out;
}

}  // namespace vthost
