#include "TestEnvironment.h"

#include "settings/CRegistry.h"
#include "settings/SettingsSection.h"
#include "settings/StoredSettings.h"

#include <QTest>


namespace {

const QString Base = u"SOFTWARE\\Fennmoor Software\\Quillmere\\"_s;

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

// A setting read back as the text it would be stored as.
template <typename Value>
std::function<QString()> readBack(const Setting<Value> &setting)
{
    return [setting] { return setting.text(setting.read()); };
}

struct SettingCase {
    const char *section;
    const char *name;
    std::function<QString()> read;
    const char *fallback;    // what a missing or empty value reads as
    const char *valid;       // a value the program itself writes, read back as it is
    const char *handEdited;  // a value only hand-editing makes
    const char *handEditedReads;
};

} // namespace

class RegistryTest : public QObject {
    Q_OBJECT
private slots:
    // The first read creates the empty key; missing, empty and binary values read as the
    // default and only text values are counted; an empty text is refused, and a value
    // written shows once the key is read again. An index outside the values is told to
    // the notice handler, if any.
    void valuesAreReadAndWrittenAsText()
    {
        TestEnvironment environment;
        QCOMPARE(openKey(u"Fresh"_s)->ValueCount(), qint16(0));
        QVERIFY(environment.raw().childGroups().contains(u"Fresh"_s));
        QCOMPARE(openKey(u"Fresh"_s, false)->ValueCount(), qint16(0));  // it exists from now on
        environment.store({{u"Preferences/Empty"_s, QString()}, {u"Preferences/Binary"_s, QByteArray("\x01\x02", 2)},
                           {u"Preferences/Text"_s, u"kept"_s}});
        const auto registry = openKey(u"Preferences"_s);
        for (const QString &name : {u"Empty"_s, u"Binary"_s, u"Missing"_s})
            QCOMPARE(registry->GetValue(name, u"d"_s), u"d"_s);
        QCOMPARE(registry->GetValue(u"Text"_s, u"d"_s), u"kept"_s);
        QCOMPARE(registry->ValueCount(), qint16(2));
        QCOMPARE(registry->GetName(0) + registry->GetName(1) + registry->GetName(2), u"EmptyText"_s);

        QVERIFY(registry->SetValue(u"X"_s, u"3"_s));
        registry->Refresh();
        QCOMPARE(registry->GetValue(u"X"_s, u"d"_s), u"3"_s);
        QVERIFY(!registry->SetValue(u"X"_s, QString()) && registry->SetValue(u"X"_s, u"5"_s));
        QCOMPARE(registry->GetValue(u"X"_s, u"d"_s), u"3"_s);  // the cache holds until the key is read again
        registry->setKey(registry->key());
        QCOMPARE(registry->GetValue(u"X"_s, u"d"_s), u"5"_s);

        QStringList notices;
        registry->setNoticeHandler([&notices](const QString &text, const QString &title) { notices << title + u':' + text; });
        QCOMPARE(registry->GetValue(qint16(1), u"d"_s), u"kept"_s);
        QCOMPARE(registry->GetValue(qint16(9), u"d"_s), QString());
        QCOMPARE(notices, QStringList{u"Quillmere:Subscript out of range"_s});
        QCOMPARE(registry->Create(u"Sub"_s, u"Empty"_s, QString()), qint16(-1));
        QCOMPARE(notices.value(1), u":Could not set value"_s);
    }

    // A key that is missing, another program's, or in a store that cannot be written
    // raises the error the store's callers expect.
    void keysThatCannotBeOpenedOrWritten()
    {
        TestEnvironment environment;
        const RegistryError missing = errorOf([] { openKey(u"Nowhere"_s, false); });
        QCOMPARE(missing.number, -2147220991);
        QCOMPARE(missing.source, u"GetKeyInfo"_s);
        QCOMPARE(missing.description, u"Unable to open Key"_s);
        QVERIFY(!environment.raw().childGroups().contains(u"Nowhere"_s));
        CRegistry foreign;
        foreign.setAutoCreate(false);
        QCOMPARE(errorOf([&] { foreign.setKey(u"SOFTWARE\\Clients\\StartMenuInternet"_s); }).number, CRegistry::ErrUnableToOpenKey);
        QVERIFY(!foreign.SetValue(u"A"_s, u"b"_s));
        CRegistry creating;
        QCOMPARE(errorOf([&] { creating.setKey(u"SOFTWARE\\Clients"_s); }).number, CRegistry::ErrUnableToOpenKey);

        // A settings "file" that is a directory can be neither read nor written, even by root.
        const auto opened = openKey(u"Path"_s);
        QVERIFY(QFile::remove(environment.settingsFile()) && QDir().mkpath(environment.settingsFile()));
        QCOMPARE(errorOf([] { openKey(u"Preferences"_s); }).number, CRegistry::ErrUnableToOpenKey);
        const RegistryError error = errorOf([&] { opened->SetValue(u"EXE Path"_s, u"/x/"_s); });
        QCOMPARE(error.number, CRegistry::ErrUnknown);
        QCOMPARE(error.source, u"CreateEx"_s);
        QCOMPARE(error.description, u"Unknown Error: 5"_s);
        QCOMPARE(opened->Create(u"Deeper"_s), qint16(0));
    }

    // Every stored value: missing, empty, valid and hand-edited texts read as its rule
    // says, and the text a valid value is written as is the text that was stored.
    void everySettingReadsByItsRule()
    {
        using namespace Settings;
        const SettingCase cases[] = {
            {"Preferences", "Last Open Directory", readBack(LastOpenDirectory), "", "/pics/", " x", " x"},
            {"Preferences", "Local Image Directory", readBack(LocalImageDirectory), "", "/site/images/", "?", "?"},
            {"Preferences", "Local Thumbnail Directory", readBack(LocalThumbnailDirectory), "", "/site/t/", "?", "?"},
            {"HTML Preferences", "Last HTML File Path", readBack(LastHtmlFilePath), "", "/site/", "?", "?"},
            {"Preferences", "Thumbnail Width", readBack(ThumbnailWidth), "93", "150", "150px", "93"},
            {"Preferences", "Thumbnail Height", readBack(ThumbnailHeight), "97", "30", "-5", "97"},
            {"Preferences", "Web Site Images Directory", readBack(SiteImageDirectory), "images", "pics", "a/b", "a/b"},
            {"Preferences", "Web Site Thumbnail Directory", readBack(SiteThumbnailDirectory), "images", "t", "..", ".."},
            {"Preferences", "Left Margin", readBack(LeftMargin), "4", "6", "4.5", "4"},
            {"Preferences", "Listing Alignment", readBack(ListingAlignment), "4", "1", "9", "4"},
            {"Preferences", "Listing Height", readBack(ListingHeight), "1200", "1530.5", "800twips", "800"},
            {"Preferences", "Listing Width", readBack(ListingWidth), "3510", "4000", "wide", "0"},
            {"Preferences", "Auto-Sort Enabled", readBack(AutoSortEnabled), "1", "0", "0.4", "0"},
            {"Preferences", "Auto Arrange After Directory Load", readBack(AutoArrangeAfterLoad), "True", "False", "perhaps",
             "True"},
            {"Preferences", "Auto Arrange Method", readBack(AutoArrangeMethod), "2", "0", "7", "7"},
            {"Preferences", "Notify of Duplicate Images", readBack(NotifyOfDuplicateImages), "False", "True", "-1", "True"},
            {"Preferences", "Save Image File Type", readBack(SaveImageFileType), "JPG", "PNG", "png", "png"},
            {"Preferences", "Save Image File Name Prefix", readBack(SaveImageFileNamePrefix), "QM_", "tn-", "../", "../"},
            {"Preferences", "Save Image Progressive", readBack(SaveImageProgressive), "0", "1", "2", "1"},
            {"Preferences", "Save Image Color Depth", readBack(SaveImageReducedColours), "0", "1", "0.2", "0"},
            {"Preferences", "Save Image Compression Quality", readBack(SaveImageQuality), "75", "5", "500", "75"},
            {"Preferences", "Use Specific Browser", readBack(UseSpecificBrowser), "0", "1", "yes", "0"},
            {"Preferences", "Thumbnail File Name Lower Case", readBack(ThumbnailNamesLowerCase), "0", "1", "1.6", "1"},
            {"Preferences", "Image File Name Lower Case", readBack(ImageNamesLowerCase), "0", "1", "-3", "1"},
            {"Preferences", "Web Ready Images", readBack(WebReadyImages), "0", "1", "0.4", "0"},
            {"Preferences", "Web Image Long Edge", readBack(WebImageLongEdge), "0", "1600", "70000", "0"},
            {"Preferences", "Remove Photo Metadata", readBack(RemovePhotoMetadata), "0", "1", "yes", "0"},
            {"Preferences", "High Density Thumbnails", readBack(HighDensityThumbnails), "0", "1", "2", "1"},
            {"Path", "EXE Path", readBack(ExePath), "", "/opt/quillmere/", "?", "?"},
            {"First Run Information", "First Directory Load", readBack(FirstDirectoryLoad), "0", "1", "x", "0"},
            {"Window Positions\\MAINFORM", "Window State", readBack(MainWindowState), "2", "0", "2abc", "2"},
            {"Window Positions\\MAINFORM", "Top", readBack(MainWindowPosition.top), "100", "1440", "-15", "-15"},
            {"Window Positions\\MAINFORM", "Left", readBack(MainWindowPosition.left), "100", "2880.5", "12.5.3", "12.5"},
            {"Window Positions\\WHOLE", "Top", readBack(FullSizePosition.top), "10", "300", "1e3", "1000"},
            {"Window Positions\\WHOLE", "Left", readBack(FullSizePosition.left), "10", "45", " 7 ", "7"},
            {"Window Positions\\LISTING", "ListView Column 1", readBack(ListingColumnWidth(0)), "0", "1500", "a", "0"},
            {"Window Positions\\LISTING", "ListView Column 3", readBack(ListingColumnWidth(2)), "0", "720", "9", "9"},
        };
        for (const SettingCase &test : cases) {
            const QString group = QString::fromUtf8(test.section).replace(u'\\', u'/');
            const QString key = group + u'/' + QString::fromUtf8(test.name);
            const auto readsAs = [&](const char *stored, const char *expected) {
                TestEnvironment environment;
                if (stored)
                    environment.store({{key, QString::fromUtf8(stored)}});
                QVERIFY2(test.read() == QString::fromUtf8(expected),
                         qPrintable(key + u" \"%1\" reads as \"%2\""_s.arg(stored, test.read())));
            };
            readsAs(nullptr, test.fallback);
            readsAs("", test.fallback);
            readsAs(test.valid, test.valid);
            readsAs(test.handEdited, test.handEditedReads);
        }
    }

    // Opening a section to read it creates nothing; writing a value leaves no marker of
    // an empty key behind, in the section or above it.
    void onlyRealValuesAreWritten()
    {
        TestEnvironment environment;
        QCOMPARE(Settings::SaveImageFileType.read(), u"JPG"_s);
        QVERIFY(!QFile::exists(environment.settingsFile()));
        QCOMPARE(openKey(u"Window Positions"_s)->Create(u"Empty"_s), qint16(-1));
        QVERIFY(Settings::SaveImageFileType.write(u"PNG"_s));
        Settings::MainWindowState.write(2);
        QVERIFY(openKey(u"HTML Preferences"_s)->SetValue(u"Font Size"_s, u"4"_s));
        const QByteArray file = contentsOf(environment.settingsFile());
        QCOMPARE(file.count("@Invalid"), 1);  // only the key made empty on purpose keeps one
        QCOMPARE(environment.raw().value(u"Window Positions/MAINFORM/Window State"_s).toString(), u"2"_s);
        // An empty key still exists as a key, and loses its marker with its first value.
        QCOMPARE(openKey(u"Window Positions\\Empty"_s, false)->ValueCount(), qint16(0));
        QVERIFY(openKey(u"Window Positions\\Empty"_s)->SetValue(u"Top"_s, u"1"_s));
        QVERIFY(!contentsOf(environment.settingsFile()).contains("@Invalid"));
    }
};

QTEST_MAIN(RegistryTest)
#include "tst_registry.moc"
