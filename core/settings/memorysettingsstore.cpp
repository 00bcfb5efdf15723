#include "core/settings/memorysettingsstore.h"

namespace gemino {

int MemorySettingsStore::ReadInt(const std::string& name, int defaultValue) const {
    const auto it = values_.find(name);
    if (it == values_.end())
        return defaultValue;
    const int* value = std::get_if<int>(&it->second);
    return value ? *value : defaultValue;
}

std::string MemorySettingsStore::ReadString(const std::string& name,
                                            const std::string& defaultValue) const {
    const auto it = values_.find(name);
    if (it == values_.end())
        return defaultValue;
    const std::string* value = std::get_if<std::string>(&it->second);
    return value ? *value : defaultValue;
}

void MemorySettingsStore::WriteInt(const std::string& name, int value) {
    values_[name] = value;
    ++writeCount_;
}

void MemorySettingsStore::WriteString(const std::string& name, const std::string& value) {
    values_[name] = value;
    ++writeCount_;
}

void MemorySettingsStore::remove(const std::string& name) {
    values_.erase(name);
    ++writeCount_;
}

} // namespace gemino
