#include "report/JsonRenderer.h"

#include <nlohmann/json.hpp>

namespace vthost {
namespace {

using nlohmann::json;

json FromScalar(const Scalar& value) {
  return std::visit([](const auto& v) { return json(v); }, value);
}

void AddMembers(const std::vector<Field>& fields, json& object);

json FromField(const Field& field) {
  switch (field.shape) {
    case Field::Shape::Object: {
      json object = json::object();
      AddMembers(field.members, object);
      return object;
    }
    case Field::Shape::List: {
      json list = json::array();
      for (const Field& element : field.members) list.push_back(FromField(element));
      return list;
    }
    case Field::Shape::Group: {
      json object = json::object();
      AddMembers(field.members, object);
      return object;
    }
    default:
      return FromScalar(field.value);
  }
}

void AddMembers(const std::vector<Field>& fields, json& object) {
  for (const Field& field : fields) {
    if (field.shape == Field::Shape::Group) {
      AddMembers(field.members, object);
    } else if (!field.key.empty()) {
      object[field.key] = FromField(field);
    }
  }
}

}  // namespace

std::string RenderJson(const Report& report) {
  json object = json::object();
  AddMembers(report.fields, object);
  return object.dump(-1, ' ', false, json::error_handler_t::replace);
}

}  // namespace vthost
