#include "TestEnvironment.h"

#include "settings/CRegistry.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {

const QString Base = QStringLiteral("SOFTWARE\\Fennmoor Software\\Quillmere\\");

std::unique_ptr<CRegistry> openKey(const QString &section, bool autoCreate = true)
{
    auto registry = std::make_unique<CRegistry>();
    registry->setAutoCreate(autoCreate);
    registry->setRoot(CRegistry::HKEY_LOCAL_MACHINE);
    registry->setKey(Base + section);
    return registry;
}

template <typename F>
RegistryError errorOf(F &&operation)
{
    try {
        operation();
    } catch (const RegistryError &error) {
        return error;
    }
    return RegistryError(0, QString(), QString());
}

} // namespace

class RegistryTest : public QObject {
    Q_OBJECT
private slots:
    void firstReadCreatesTheEmptyKey();
    void missingEmptyAndForeignTypedValuesReadAsDefault();
    void setValueRefusesEmptyTextAndLeavesTheCache();
    void keysThatCannotBeOpened();
    void indexOutsideTheCacheIsReported();
    void unwritableStoreFailsToOpen();
};

void RegistryTest::firstReadCreatesTheEmptyKey()
{
    TestEnvironment environment;
    const auto registry = openKey(QStringLiteral("Preferences"));
    QCOMPARE(registry->ValueCount(), qint16(0));
    QCOMPARE(registry->GetValue(QStringLiteral("Thumbnail Width"), QStringLiteral("93")), QStringLiteral("93"));
    QSettings raw = environment.raw();
    QVERIFY(raw.childGroups().contains(QStringLiteral("Preferences")));
    // The key exists from now on, also for an instance that may not create it.
    QCOMPARE(openKey(QStringLiteral("Preferences"), false)->ValueCount(), qint16(0));
}

void RegistryTest::missingEmptyAndForeignTypedValuesReadAsDefault()
{
    TestEnvironment environment;
    {
        QSettings raw = environment.raw();
        raw.setValue(QStringLiteral("Preferences/Empty"), QString());
        raw.setValue(QStringLiteral("Preferences/Binary"), QByteArray("\x01\x02", 2));
        raw.setValue(QStringLiteral("Preferences/Text"), QStringLiteral("kept"));
    }
    const auto registry = openKey(QStringLiteral("Preferences"));
    QCOMPARE(registry->GetValue(QStringLiteral("Empty"), QStringLiteral("d")), QStringLiteral("d"));
    QCOMPARE(registry->GetValue(QStringLiteral("Binary"), QStringLiteral("d")), QStringLiteral("d"));
    QCOMPARE(registry->GetValue(QStringLiteral("Missing"), QStringLiteral("d")), QStringLiteral("d"));
    QCOMPARE(registry->GetValue(QStringLiteral("Text"), QStringLiteral("d")), QStringLiteral("kept"));
    // Only the two string values are counted and named.
    QCOMPARE(registry->ValueCount(), qint16(2));
    QCOMPARE(registry->GetName(0) + registry->GetName(1) + registry->GetName(2), QStringLiteral("EmptyText"));
}

void RegistryTest::setValueRefusesEmptyTextAndLeavesTheCache()
{
    TestEnvironment environment;
    const auto registry = openKey(QStringLiteral("Preferences"));
    QVERIFY(registry->SetValue(QStringLiteral("X"), QStringLiteral("3")));
    registry->Refresh();
    QCOMPARE(registry->GetValue(QStringLiteral("X"), QStringLiteral("d")), QStringLiteral("3"));

    QVERIFY(!registry->SetValue(QStringLiteral("X"), QString()));
    QVERIFY(registry->SetValue(QStringLiteral("X"), QStringLiteral("5")));
    QCOMPARE(registry->GetValue(QStringLiteral("X"), QStringLiteral("d")), QStringLiteral("3"));
    registry->setKey(registry->key());
    QCOMPARE(registry->GetValue(QStringLiteral("X"), QStringLiteral("d")), QStringLiteral("5"));
}

void RegistryTest::keysThatCannotBeOpened()
{
    TestEnvironment environment;
    const RegistryError missing = errorOf([] { openKey(QStringLiteral("Nowhere"), false); });
    QCOMPARE(missing.number, -2147220991);
    QCOMPARE(missing.source, QStringLiteral("GetKeyInfo"));
    QCOMPARE(missing.description, QStringLiteral("Unable to open Key"));
    QVERIFY(!environment.raw().childGroups().contains(QStringLiteral("Nowhere")));

    // Another program's key does not exist here, and cannot be made.
    CRegistry foreign;
    foreign.setAutoCreate(false);
    QCOMPARE(errorOf([&] { foreign.setKey(QStringLiteral("SOFTWARE\\Clients\\StartMenuInternet")); }).number,
             CRegistry::ErrUnableToOpenKey);
    QVERIFY(!foreign.SetValue(QStringLiteral("A"), QStringLiteral("b")));
    CRegistry creating;
    QCOMPARE(errorOf([&] { creating.setKey(QStringLiteral("SOFTWARE\\Clients")); }).number, CRegistry::ErrUnableToOpenKey);
}

// The store tells its caller, which decides what the user sees; without a handler
// nothing is shown.
void RegistryTest::indexOutsideTheCacheIsReported()
{
    TestEnvironment environment;
    const auto registry = openKey(QStringLiteral("Preferences"));
    QCOMPARE(registry->GetValue(qint16(5), QStringLiteral("d")), QString());
    QStringList notices;
    registry->setNoticeHandler([&notices](const QString &text, const QString &title) { notices << title + u':' + text; });
    registry->SetValue(QStringLiteral("Only"), QStringLiteral("one"));
    registry->Refresh();
    QCOMPARE(registry->GetValue(qint16(0), QStringLiteral("d")), QStringLiteral("one"));
    QVERIFY(notices.isEmpty());
    QCOMPARE(registry->GetValue(qint16(5), QStringLiteral("d")), QString());
    QCOMPARE(notices, QStringList{QStringLiteral("Quillmere:Subscript out of range")});
    QCOMPARE(registry->Create(QStringLiteral("Sub"), QStringLiteral("Empty"), QString()), qint16(-1));
    QCOMPARE(notices.value(1), QStringLiteral(":Could not set value"));
}

void RegistryTest::unwritableStoreFailsToOpen()
{
    TestEnvironment environment;
    const auto opened = openKey(QStringLiteral("Path"));
    // A settings "file" that is a directory can be neither read nor written, even by root.
    QVERIFY(QFile::remove(environment.settingsFile()));
    QVERIFY(QDir().mkpath(environment.settingsFile()));
    QCOMPARE(errorOf([] { openKey(QStringLiteral("Preferences")); }).number, CRegistry::ErrUnableToOpenKey);
    const RegistryError error = errorOf([&] { opened->SetValue(QStringLiteral("EXE Path"), QStringLiteral("/x/")); });
    QCOMPARE(error.number, CRegistry::ErrUnknown);
    QCOMPARE(error.source, QStringLiteral("CreateEx"));
    QCOMPARE(error.description, QStringLiteral("Unknown Error: 5"));
    QCOMPARE(opened->Create(QStringLiteral("Deeper")), qint16(0));
}

QTEST_MAIN(RegistryTest)
#include "tst_registry.moc"
