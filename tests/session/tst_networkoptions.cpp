#include "TestSupport.h"
#include "app/Records.h"
#include "session/NetworkOptionsDialog.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QtTest>

// What the community strings dialog shows, keeps and hides.
class TestNetworkOptions : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_store.emplace();
        m_settings = {};
    }
    void loadShowsStoredOrDefault_data()
    {
        QTest::addColumn<std::optional<QString>>("stored");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("missing keys")
            << std::optional<QString>() << QStringList{"public", "private"};
        QTest::newRow("empty is used") << std::optional<QString>("") << QStringList{"", ""};
        QTest::newRow("stored") << std::optional<QString>("field") << QStringList{"field", "field"};
    }
    void loadShowsStoredOrDefault()
    {
        QFETCH(std::optional<QString>, stored);
        QFETCH(QStringList, shown);
        for (const char *key : {"SNMPReadCommString", "SNMPWriteCommString"})
            if (stored)
                m_store->put(kPrefs, key, *stored);
        NetworkOptionsDialog form(m_settings);
        QCOMPARE(QStringList(
                     {form.SNMPReadCommunityString->text(), form.SNMPWriteCommunityString->text()}),
                 shown);
    }

    void okSavesAnyTextCancelNothing()
    {
        NetworkOptionsDialog form(m_settings);
        form.SNMPReadCommunityString->setText(QString());
        form.SNMPWriteCommunityString->setText("s3cret");
        form.CancelButton_Click();
        QVERIFY(!m_store->raw(kPrefs, "SNMPReadCommString"));
        QCOMPARE(m_settings.writeCommunity, QString());
        form.OKButton_Click();
        QCOMPARE(m_store->raw(kPrefs, "SNMPReadCommString"), QString());
        QCOMPARE(m_store->raw(kPrefs, "SNMPWriteCommString"), "s3cret");
        QCOMPARE(m_settings.readCommunity, QString());
        QCOMPARE(m_settings.writeCommunity, "s3cret");
    }

    void writeCommunityIsMaskedUntilShown()
    {
        NetworkOptionsDialog form(m_settings);
        for (bool shown : {false, true, false}) {
            form.showWriteCommunity->setChecked(shown);
            QCOMPARE(form.SNMPWriteCommunityString->echoMode() == QLineEdit::Normal, shown);
        }
    }

private:
    const QString kPrefs = QStringLiteral("Preferences");
    std::optional<TestStore> m_store;
    SessionSettings m_settings;
};

QTEST_MAIN(TestNetworkOptions)
#include "tst_networkoptions.moc"
