// What the command knows about a file, as one model that both outputs are
// rendered from: a person's block of aligned lines and a script's JSON
// object. A fact is a Field, with a JSON form (a member of the enclosing
// object), a text form (a line "label  text"), or both; a field with
// members is a section. The renderers know no field by name, so a fact
// added to a file's model (FileReport.cpp) appears in both outputs.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace vthost {

// A JSON value that is not an object or a list.
using Scalar = std::variant<std::nullptr_t, bool, std::int64_t, double, std::string>;

struct Field {
  enum class Shape {
    Value,   // `value`
    Object,  // an object of the members
    List,    // a list with one object per member (each member's own members)
    Group    // the members stand in the enclosing object; the field has no key
  };

  std::string key;    // the JSON member's name; empty: no JSON form
  Scalar value;       // for Shape::Value
  std::string label;  // the text line's label; empty: no line
  std::string text;   // the text line's value
  Shape shape = Shape::Value;
  std::vector<Field> members;  // their lines follow the field's own line
};

struct Report {
  std::string heading;  // the text form's first line
  std::vector<Field> fields;
};

// Shorthands for the builders.
inline Field Both(std::string key, Scalar value, std::string label, std::string text) {
  return {std::move(key), std::move(value), std::move(label), std::move(text), Field::Shape::Value, {}};
}
inline Field JsonOnly(std::string key, Scalar value) {
  return Both(std::move(key), std::move(value), "", "");
}
// A text that both forms show as it is.
inline Field SameText(std::string key, std::string label, const std::string& text) {
  return Both(std::move(key), text, std::move(label), text);
}
inline Field Composite(Field::Shape shape, std::string key, std::string label, std::string text,
                       std::vector<Field> members) {
  return {std::move(key), nullptr, std::move(label), std::move(text), shape, std::move(members)};
}

}  // namespace vthost
