// A runnable holding one function object, typically a member function bound to its object and one argument.
// Runs on whichever task thread it was posted to; owns the function object.
#pragma once

#include <functional>
#include <utility>

#include "RynRunnable.h"

namespace ryn {

class RynFunctionalRunnable : public RynRunnable {
public:
    explicit RynFunctionalRunnable(std::function<void()> function) : mFunction(std::move(function)) {}
    // An empty function object throws std::bad_function_call.
    void Run() override { mFunction(); }

private:
    std::function<void()> mFunction;
};

}  // namespace ryn
