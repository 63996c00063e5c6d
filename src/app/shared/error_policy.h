#pragma once

// The program-wide error policy as the subsystems see it. Handlers may throw; every one of them is run
// through guarded(), which hands what it throws to the policy instead of letting it travel through Qt's
// signal machinery. The window implements the policy; controllers only know this interface.

#include <QObject>
#include <QString>

#include <exception>
#include <functional>
#include <type_traits>

namespace lanseek::app {

class ErrorPolicy
{
public:
    virtual void handle(const std::exception& error) = 0;
    virtual void handle(const QString& message) = 0;

protected:
    ~ErrorPolicy() = default;
};

// Runs fn, handing any exception it throws to the policy.
template <typename Fn> void guarded(ErrorPolicy& policy, Fn&& fn) noexcept
{
    try {
        fn();
    } catch (const std::exception& e) {
        policy.handle(e);
    } catch (...) {
        policy.handle(QStringLiteral("未知错误"));
    }
}

// Connects a signal to a method of receiver through guarded(). A method that takes the signal's
// arguments gets them; one that takes none is called without.
template <typename Sender, typename Signal, typename Receiver, typename Method> QMetaObject::Connection
connectGuarded(Sender* sender, Signal signal, Receiver* receiver, ErrorPolicy& policy, Method method)
{
    return QObject::connect(sender, signal, receiver, [receiver, &policy, method](const auto&... args) {
        guarded(policy, [&] {
            if constexpr (std::is_invocable_v<Method, Receiver*, decltype(args)...>)
                std::invoke(method, receiver, args...);
            else
                std::invoke(method, receiver);
        });
    });
}

} // namespace lanseek::app
