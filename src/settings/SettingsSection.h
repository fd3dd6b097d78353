#pragma once

#include "settings/CRegistry.h"

// A settings-store instance opened on one section of the program's settings
// (the preferences, a window's position, ...), the way every part of the
// program reads and writes them. Opening creates the section when it is missing and
// throws RegistryError when the store cannot be used.
class SettingsSection : public CRegistry {
public:
    explicit SettingsSection(const QString &section);
};

// A section read as it is stored, creating and changing nothing: a section that is
// not there reads as all defaults.
class StoredSection : public CRegistry {
public:
    explicit StoredSection(const QString &section);
};

// Runs work that reaches the settings store at the boundary of an event handler or
// slot: a store failure ends that work and goes to the reporter the program
// installed, instead of leaving the handler as an exception. Returns whether the
// work ran to its end.
bool GuardStore(const std::function<void()> &work);

// What GuardStore does with a failure; by default nothing is shown.
void SetStoreFailureReporter(std::function<void(const RegistryError &)> reporter);
