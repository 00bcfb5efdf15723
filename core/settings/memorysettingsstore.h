#pragma once

#include "core/settings/settings.h"

#include <map>
#include <string>
#include <variant>

namespace gemino {

// A SettingsStore held in memory, for tests and for runs that must not touch the user's store.
// A value keeps the type it was written with; reading it as the other type gives the default.
class MemorySettingsStore : public SettingsStore {
public:
    using Value = std::variant<int, std::string>;

    int ReadInt(const std::string& name, int defaultValue) const override;
    std::string ReadString(const std::string& name, const std::string& defaultValue) const override;
    void WriteInt(const std::string& name, int value) override;
    void WriteString(const std::string& name, const std::string& value) override;
    void remove(const std::string& name) override;

    bool contains(const std::string& name) const { return values_.count(name) != 0; }
    const std::map<std::string, Value>& values() const { return values_; }
    int writeCount() const { return writeCount_; }
    void clear() { values_.clear(); }

private:
    std::map<std::string, Value> values_;
    int writeCount_ = 0;
};

} // namespace gemino
