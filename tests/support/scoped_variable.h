// An environment variable set for a scope, and as it was afterwards: unset
// again where it was unset.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        Set(name_, value);
    }
    ~ScopedVariable() {
        if (old_) {
            Set(name_, *old_);
        } else {
            Unset(name_);
        }
    }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

    static void Set(const char* name, const std::string& value) {
#ifdef _WIN32
        ::_putenv_s(name, value.c_str());  // an empty value removes it
#else
        ::setenv(name, value.c_str(), 1);
#endif
    }
    static void Unset(const char* name) {
#ifdef _WIN32
        ::_putenv_s(name, "");
#else
        ::unsetenv(name);
#endif
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};
