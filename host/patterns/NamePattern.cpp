#include "patterns/NamePattern.h"

#include <cctype>

#include "system/FileNames.h"

namespace vthost {
namespace {

// The matcher's recursion is bounded by this many steps, so that a
// pathological pattern against a long name fails instead of taking
// exponential time.
constexpr int kStepBudget = 100000;

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

class ComponentMatch {
 public:
  ComponentMatch(const std::vector<PatternPart>& parts, std::string_view name, FieldValues& values)
      : parts_(parts), name_(name), values_(values) {}

  bool Run() { return From(0, 0); }

 private:
  // Whether parts [part, end) match name_ [at, end), filling values_.
  bool From(std::size_t part, std::size_t at) {
    if (--budget_ < 0) return false;
    if (part == parts_.size()) return at == name_.size();
    const PatternPart& current = parts_[part];
    if (!current.field) {
      const std::string& literal = current.literal;
      return name_.compare(at, literal.size(), literal) == 0 && From(part + 1, at + literal.size());
    }
    const bool number = KindOf(current.field->name) == FieldKind::Number;
    std::size_t end = at;
    if (number) {
      // Digits, the longest run first: the next part cannot start with a
      // digit that belongs to the number anyway.
      while (end < name_.size() && std::isdigit(static_cast<unsigned char>(name_[end]))) ++end;
      for (; end > at; --end)
        if (Take(part, at, end)) return true;
      return false;
    }
    for (end = at + 1; end <= name_.size(); ++end)
      if (Take(part, at, end)) return true;
    return false;
  }

  bool Take(std::size_t part, std::size_t at, std::size_t end) {
    const std::string& name = parts_[part].field->name;
    const std::string value(Trimmed(name_.substr(at, end - at)));
    if (value.empty()) return false;
    const auto known = values_.find(name);
    if (known != values_.end()) return known->second == value && From(part + 1, end);
    values_[name] = value;
    if (From(part + 1, end)) return true;
    values_.erase(name);
    return false;
  }

  const std::vector<PatternPart>& parts_;
  std::string_view name_;
  FieldValues& values_;
  int budget_ = kStepBudget;
};

}  // namespace

std::variant<NamePattern, std::string> NamePattern::Parse(std::string_view text) {
  auto parsed = Pattern::Parse(text);
  if (auto* error = std::get_if<std::string>(&parsed)) return *error;
  const Pattern& pattern = std::get<Pattern>(parsed);
  if (!pattern.HasFields()) return std::string("the pattern names no field to read");
  NamePattern names;
  names.components_.emplace_back();
  const PatternPart* previous = nullptr;
  for (const PatternPart& part : pattern.Parts()) {
    if (part.field) {
      if (KindOf(part.field->name) == FieldKind::Path)
        return "{" + part.field->name + "} is part of the path, not a field to set";
      if (part.field->formatted)
        return "{" + part.field->name + "}: a field read from a name takes no format";
      if (previous && previous->field && KindOf(previous->field->name) != FieldKind::Number)
        return "{" + previous->field->name + "}{" + part.field->name +
               "}: two fields need something between them to tell where one ends";
      names.components_.back().push_back(part);
      previous = &names.components_.back().back();
      continue;
    }
    std::size_t from = 0;
    for (std::size_t slash = part.literal.find('/');; slash = part.literal.find('/', from)) {
      const std::string piece = part.literal.substr(from, slash == std::string::npos ? slash : slash - from);
      if (!piece.empty()) names.components_.back().push_back({piece, std::nullopt});
      if (slash == std::string::npos) break;
      names.components_.emplace_back();
      from = slash + 1;
    }
    previous = names.components_.back().empty() ? nullptr : &names.components_.back().back();
  }
  for (const auto& component : names.components_)
    if (component.empty()) return std::string("the pattern has an empty part between slashes");
  for (const PatternPart& part : names.components_.back())
    if (!part.field && part.literal.find('.') != std::string::npos) names.lastWithExtension_ = true;
  return names;
}

std::optional<FieldValues> NamePattern::Match(const std::filesystem::path& path) const {
  std::error_code error;
  std::filesystem::path whole = std::filesystem::absolute(path, error).lexically_normal();
  if (error) whole = path.lexically_normal();
  std::vector<std::string> names;
  names.push_back(DisplayName(lastWithExtension_ ? whole.filename() : whole.stem()));
  for (std::filesystem::path folder = whole.parent_path();
       names.size() < components_.size() && folder.has_relative_path(); folder = folder.parent_path())
    names.push_back(DisplayName(folder.filename()));
  if (names.size() < components_.size()) return std::nullopt;
  FieldValues values;
  for (std::size_t i = 0; i < components_.size(); ++i) {
    const auto& component = components_[components_.size() - 1 - i];
    if (!ComponentMatch(component, names[i], values).Run()) return std::nullopt;
  }
  return values;
}

}  // namespace vthost
