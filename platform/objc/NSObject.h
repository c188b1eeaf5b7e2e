#pragma once
// The object model of the stand-in: reference-counted objects (std::shared_ptr),
// classes that can be found by name, and methods that can be sent by selector name,
// as target-action and specifier lists need.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>

class NSObject;
class Class;

// A strong reference to any object, as Objective-C's `id`.
using id = std::shared_ptr<NSObject>;

// A method name as the runtime dispatches it: "applyChanges", "toggleState:",
// "onTouchDown:withEvent:". The number of colons is the number of arguments.
class SEL {
 public:
  SEL() = default;
  SEL(const char* name) : name_(name ? name : "") {}
  SEL(std::string name) : name_(std::move(name)) {}

  const std::string& name() const { return name_; }
  bool isNull() const { return name_.empty(); }
  int argumentCount() const;

  friend bool operator==(const SEL&, const SEL&) = default;
  friend auto operator<=>(const SEL& a, const SEL& b) { return a.name_ <=> b.name_; }

 private:
  std::string name_;
};

inline SEL NSSelectorFromString(const std::string& name) { return SEL(name); }

// An implementation: the method called with the receiver and up to two object arguments.
using IMP = std::function<void(NSObject& self, const id& argument1, const id& argument2)>;

class NSObject : public std::enable_shared_from_this<NSObject> {
 public:
  NSObject() = default;
  NSObject(const NSObject&) = delete;
  NSObject& operator=(const NSObject&) = delete;
  virtual ~NSObject() = default;

  static const Class* classObject();
  virtual const Class* isa() const { return classObject(); }
  const std::string& className() const;
  bool isKindOfClass(const Class* cls) const;

  // True when the receiver's class, or a superclass, has a method for the selector.
  bool respondsToSelector(const SEL& selector) const;
  // Sends the selector with up to two arguments. Returns false, doing nothing, when
  // the receiver does not respond to it.
  bool performSelector(const SEL& selector, const id& argument1 = nullptr,
                       const id& argument2 = nullptr);

  virtual std::string description() const;

  // The receiver as a shared pointer of its own type.
  template <class T>
  std::shared_ptr<T> self() {
    return std::static_pointer_cast<T>(shared_from_this());
  }
  template <class T>
  std::shared_ptr<const T> self() const {
    return std::static_pointer_cast<const T>(shared_from_this());
  }
};

// A strongly typed `alloc`: the object exists, owned by a shared pointer, but is
// not initialised until one of its init methods runs.
template <class T>
std::shared_ptr<T> alloc() {
  return std::make_shared<T>();
}

// Declares the class object of an NSObject subclass. Its .cpp defines
// `const Class* Name::classObject()` with a ClassBuilder.
#define KAVRO_OBJC_CLASS(Name)                                          \
 public:                                                               \
  static const ::Class* classObject();                                 \
  const ::Class* isa() const override { return Name::classObject(); }  \
                                                                       \
 private:
