// Run-time errors of a conversion command: a number and a description, as the user sees them.
#pragma once

#include <string>
#include <system_error>

namespace z2o {

enum ErrorNumber : int {
    kInvalidCall = 5,
    kOverflow = 6,
    kOutOfMemory = 7,
    kBadFileName = 52,
    kFileNotFound = 53,
    kDeviceIoError = 57,
    kDiskFull = 61,
    kPermissionDenied = 70,
    kPathFileAccessError = 75,
    kPathNotFound = 76,
    kDialogCancelled = 32755,
};

struct RunError {
    int number = 0;
    std::string description;
};

// The fixed description of an error number ("Overflow", "File not found", ...).
std::string describeError(int number);

RunError runError(int number);

// Maps an operating-system failure (a C library error number, as file operations and
// std::filesystem report them on both systems) onto the numbers above, so that every front end
// words it the same way.
RunError fromSystemError(std::error_code ec);

}  // namespace z2o

#include <memory>
#include <type_traits>
#include <utility>

namespace z2o {

// A non-owning reference to something callable, as cheap to call as a function pointer. The
// callable must outlive the reference: pass lambdas straight to the function that takes it.
template <typename Signature>
class FunctionRef;

template <typename R, typename... Args>
class FunctionRef<R(Args...)> {
  public:
    template <typename F>
    requires(!std::is_same_v<std::remove_cvref_t<F>, FunctionRef> &&
             std::is_invocable_r_v<R, F&, Args...>) FunctionRef(F&& callable)
    noexcept  // NOLINT: converts implicitly, as a lambda would
        : m_object(const_cast<void*>(static_cast<const void*>(std::addressof(callable)))),
          m_call([](void* object, Args... args) -> R {
              return (*static_cast<std::remove_reference_t<F>*>(object))(
                  std::forward<Args>(args)...);
          }) {}

    R operator()(Args... args) const { return m_call(m_object, std::forward<Args>(args)...); }

  private:
    void* m_object;
    R (*m_call)(void*, Args...);
};

// Where the conversion core raises an error into the running command's handler; the core then
// goes on with its next operation.
using ErrorSink = FunctionRef<void(int number)>;

}  // namespace z2o
