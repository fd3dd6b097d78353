#include "settings/SettingsSection.h"

SettingsSection::SettingsSection(const QString &section)
{
    setAutoCreate(true);
    setRoot(HKEY_LOCAL_MACHINE);
    setKey(StoreKey::RegistryBase + section);
}

StoredSection::StoredSection(const QString &section)
{
    setAutoCreate(false);
    setRoot(HKEY_LOCAL_MACHINE);
    const QString key = StoreKey::RegistryBase + section;
    const std::optional<QString> group = SettingsStore::groupOf(HKEY_LOCAL_MACHINE, key);
    const SettingsStore store;
    if (group && store.readable() && store.exists(*group))
        setKey(key);
}

namespace {

std::function<void(const RegistryError &)> &failureReporter()
{
    static std::function<void(const RegistryError &)> reporter;
    return reporter;
}

} // namespace

bool GuardStore(const std::function<void()> &work)
{
    try {
        work();
        return true;
    } catch (const RegistryError &error) {
        if (failureReporter())
            failureReporter()(error);
        return false;
    }
}

void SetStoreFailureReporter(std::function<void(const RegistryError &)> reporter)
{
    failureReporter() = std::move(reporter);
}
