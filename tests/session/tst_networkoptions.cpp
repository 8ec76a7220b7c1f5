#include "TestSupport.h"
#include "app/Records.h"
#include "session/NetworkOptionsDialog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QtTest>

namespace {
const QString kPrefs = QStringLiteral("Preferences");
}

class TestNetworkOptions : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_store = std::make_unique<TestStore>(); }
    void cleanup() { m_store.reset(); }

    void loadShowsStoredOrDefault_data()
    {
        QTest::addColumn<std::optional<QString>>("stored");
        QTest::addColumn<QString>("readShown");
        QTest::addColumn<QString>("writeShown");
        QTest::newRow("missing keys give the defaults") << std::optional<QString>() << "public"
                                                        << "private";
        QTest::newRow("an empty stored value is used") << std::optional<QString>("") << ""
                                                       << "";
        QTest::newRow("stored values") << std::optional<QString>("field") << "field"
                                       << "field";
    }

    void loadShowsStoredOrDefault()
    {
        QFETCH(std::optional<QString>, stored);
        QFETCH(QString, readShown);
        QFETCH(QString, writeShown);
        if (stored) {
            m_store->put(kPrefs, "SNMPReadCommString", *stored);
            m_store->put(kPrefs, "SNMPWriteCommString", *stored);
        }
        SessionSettings settings;
        NetworkOptionsDialog form(settings);
        QCOMPARE(form.windowTitle(), "Network Options");
        QCOMPARE(form.SNMPReadCommunityString->text(), readShown);
        QCOMPARE(form.SNMPWriteCommunityString->text(), writeShown);
    }

    void okSavesAndUsesAnyText()
    {
        SessionSettings settings;
        NetworkOptionsDialog form(settings);
        form.SNMPReadCommunityString->setText(QString());
        form.SNMPWriteCommunityString->setText("s3cret");
        form.OKButton_Click();
        QCOMPARE(m_store->raw(kPrefs, "SNMPReadCommString"), QString());
        QCOMPARE(m_store->raw(kPrefs, "SNMPWriteCommString"), "s3cret");
        QCOMPARE(settings.readCommunity, QString());
        QCOMPARE(settings.writeCommunity, "s3cret");
    }

    void cancelChangesNothing()
    {
        SessionSettings settings;
        settings.readCommunity = "public";
        NetworkOptionsDialog form(settings);
        form.SNMPReadCommunityString->setText("edited");
        form.CancelButton_Click();
        QVERIFY(!m_store->raw(kPrefs, "SNMPReadCommString"));
        QCOMPARE(settings.readCommunity, "public");
    }

    void writeCommunityIsMaskedUntilShown()
    {
        SessionSettings settings;
        NetworkOptionsDialog form(settings);
        QCOMPARE(form.SNMPWriteCommunityString->echoMode(), QLineEdit::Password);
        form.showWriteCommunity->setChecked(true);
        QCOMPARE(form.SNMPWriteCommunityString->echoMode(), QLineEdit::Normal);
        form.showWriteCommunity->setChecked(false);
        QCOMPARE(form.SNMPWriteCommunityString->echoMode(), QLineEdit::Password);
    }

private:
    std::unique_ptr<TestStore> m_store;
};

QTEST_MAIN(TestNetworkOptions)
#include "tst_networkoptions.moc"
