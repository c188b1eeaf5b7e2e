#pragma once
// Class objects: a name, a superclass, a method table for dispatch by selector and
// an allocator, so that a class can be instantiated from its name (NSClassFromString,
// a specifier list's cellClass, a bundle's principal class).

#include "platform/objc/NSObject.h"

#include <map>
#include <string>
#include <vector>

class Class {
 public:
  Class(std::string name, const Class* superclass, std::function<id()> allocator,
        std::map<std::string, IMP> methods);
  virtual ~Class() = default;
  Class(const Class&) = delete;
  Class& operator=(const Class&) = delete;

  const std::string& name() const { return name_; }
  const Class* superclass() const { return superclass_; }
  bool isSubclassOfClass(const Class* other) const;

  // The method for the selector, searching superclasses; nullptr when none has it.
  const IMP* methodForSelector(const SEL& selector) const;
  bool instancesRespondToSelector(const SEL& selector) const {
    return methodForSelector(selector) != nullptr;
  }

  // A new, uninitialised instance; nullptr for a class that cannot be instantiated.
  id alloc() const { return allocator_ ? allocator_() : nullptr; }

 private:
  std::string name_;
  const Class* superclass_;
  std::function<id()> allocator_;
  std::map<std::string, IMP> methods_;
};

namespace kavro::platform::objc {

template <class P>
struct SharedPointee;
template <class U>
struct SharedPointee<std::shared_ptr<U>> {
  using type = U;
};

// Converts an untyped argument to the parameter type of a member function.
template <class Param>
auto castArgument(const id& argument) {
  using Pointer = std::remove_cvref_t<Param>;
  using Pointee = typename SharedPointee<Pointer>::type;
  if constexpr (std::is_same_v<Pointee, NSObject>) {
    return argument;
  } else {
    return std::dynamic_pointer_cast<Pointee>(argument);
  }
}

}  // namespace kavro::platform::objc

// Builds a class object: ClassBuilder<T>("T", Super::classObject()).method(...).build().
// Methods are member functions taking nothing, a sender, or a sender and an event.
template <class T>
class ClassBuilder {
 public:
  ClassBuilder(std::string name, const Class* superclass)
      : name_(std::move(name)), superclass_(superclass) {
    if constexpr (std::is_default_constructible_v<T> && !std::is_abstract_v<T>) {
      allocator_ = [] { return id(std::make_shared<T>()); };
    }
  }

  template <class R, class... Args>
  ClassBuilder& method(const SEL& selector, R (T::*function)(Args...)) {
    static_assert(sizeof...(Args) <= 2, "methods take at most two object arguments");
    methods_[selector.name()] = [function](NSObject& self, const id& a, const id& b) {
      T& receiver = static_cast<T&>(self);
      if constexpr (sizeof...(Args) == 0) {
        (receiver.*function)();
      } else if constexpr (sizeof...(Args) == 1) {
        (receiver.*function)(kavro::platform::objc::castArgument<Args...>(a));
      } else {
        call2<Args...>(receiver, function, a, b);
      }
    };
    return *this;
  }

  ClassBuilder& noAllocator() {
    allocator_ = nullptr;
    return *this;
  }

  // Builds a plain Class, or a subclass of Class that adds class methods.
  template <class ClassType = Class>
  ClassType build() {
    return ClassType(name_, superclass_, allocator_, std::move(methods_));
  }

  std::string name_;
  const Class* superclass_;
  std::function<id()> allocator_;
  std::map<std::string, IMP> methods_;

 private:
  template <class A1, class A2, class F>
  static void call2(T& receiver, F function, const id& a, const id& b) {
    (receiver.*function)(kavro::platform::objc::castArgument<A1>(a), kavro::platform::objc::castArgument<A2>(b));
  }
};

// Defines Name::classObject() with the methods listed in the builder chain.
#define KAVRO_OBJC_CLASS_IMPLEMENTATION(Name, Superclass, ...)                      \
  const ::Class* Name::classObject() {                                             \
    static const ::Class cls =                                                     \
        ::ClassBuilder<Name>(#Name, Superclass::classObject()) __VA_ARGS__.build(); \
    return &cls;                                                                   \
  }
