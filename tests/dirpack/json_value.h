// A small strict JSON reader for tests of machine-readable output: enough to tell that a text is
// one well-formed JSON value and to walk it.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace jsontest {

enum class Kind { Null, Bool, Number, String, Array, Object };

struct Value {
  Kind kind = Kind::Null;
  bool flag = false;
  double number = 0;
  std::string text;  // a string's content, unescaped, in UTF-8
  std::vector<Value> items;
  std::vector<std::pair<std::string, Value>> members;

  // The member of that name; a null value when there is none or this is no object.
  const Value& Member(const std::string& name) const;
};

// The whole text must be one value, white space around it allowed.
bool Parse(const std::string& text, Value& value, std::string& why);

}  // namespace jsontest
