// Finds a control of a window by its object name, as the tests reach the controls of windows
// whose widgets are private. A name that is not there (or names another kind of control)
// throws, which fails the test with the name.
#pragma once

#include <QObject>
#include <stdexcept>
#include <string>

namespace vistrel::testing {

template <typename T>
T& Child(const QObject& parent, const char* name) {
  T* child = parent.findChild<T*>(name);
  if (!child) throw std::runtime_error(std::string("no control named ") + name);
  return *child;
}

}  // namespace vistrel::testing
