// Sets (or removes) one environment variable while the object lives, then puts back
// what was there; for tests that point the code at a scratch desktop tree.
#pragma once

#include <stdlib.h>

#include <optional>
#include <string>

class EnvironmentOverride {
  public:
    EnvironmentOverride(std::string name, const std::optional<std::string>& value)
        : name_(std::move(name)) {
        if (const char* old = getenv(name_.c_str())) {
            old_ = old;
        }
        if (value) {
            setenv(name_.c_str(), value->c_str(), 1);
        } else {
            unsetenv(name_.c_str());
        }
    }
    ~EnvironmentOverride() {
        if (old_) {
            setenv(name_.c_str(), old_->c_str(), 1);
        } else {
            unsetenv(name_.c_str());
        }
    }
    EnvironmentOverride(const EnvironmentOverride&) = delete;
    EnvironmentOverride& operator=(const EnvironmentOverride&) = delete;

  private:
    std::string name_;
    std::optional<std::string> old_;
};
