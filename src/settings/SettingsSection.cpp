#include "settings/SettingsSection.h"

SettingsSection::SettingsSection(const QString &section)
{
    setAutoCreate(true);
    setRoot(HKEY_LOCAL_MACHINE);
    setKey(StoreKey::RegistryBase + section);
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
