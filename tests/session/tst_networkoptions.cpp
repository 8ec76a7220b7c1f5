#include "TestSupport.h"
#include "app/Records.h"
#include "session/NetworkOptionsForm.h"

#include <QLineEdit>
#include <QtTest>

namespace {
const QString kPrefs = QStringLiteral("Preferences");
}

class TestNetworkOptions : public QObject
{
    Q_OBJECT
private slots:
    void loadShowsStoredOrDefault_data();
    void loadShowsStoredOrDefault();
    void okSavesAndUsesAnyText();
    void cancelChangesNothing();
};

void TestNetworkOptions::loadShowsStoredOrDefault_data()
{
    QTest::addColumn<bool>("stored");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("readShown");
    QTest::addColumn<QString>("writeShown");

    QTest::newRow("missing keys give the defaults") << false << ""
                                                    << "public"
                                                    << "private";
    QTest::newRow("an empty stored value is used") << true << ""
                                                   << ""
                                                   << "";
    QTest::newRow("stored values") << true << "field"
                                   << "field"
                                   << "field";
}

void TestNetworkOptions::loadShowsStoredOrDefault()
{
    TestStore store;
    QFETCH(bool, stored);
    QFETCH(QString, value);
    QFETCH(QString, readShown);
    QFETCH(QString, writeShown);
    if (stored) {
        store.put(kPrefs, QStringLiteral("SNMPReadCommString"), value);
        store.put(kPrefs, QStringLiteral("SNMPWriteCommString"), value);
    }
    NetworkOptionsForm form;
    QCOMPARE(form.windowTitle(), QStringLiteral("Network Options"));
    QCOMPARE(form.SNMPReadCommunityString->text(), readShown);
    QCOMPARE(form.SNMPWriteCommunityString->text(), writeShown);
}

void TestNetworkOptions::okSavesAndUsesAnyText()
{
    TestStore store;
    NetworkOptionsForm form;
    form.SNMPReadCommunityString->setText(QString());
    form.SNMPWriteCommunityString->setText(QStringLiteral("s3cret"));
    form.OKButton_Click();
    QCOMPARE(store.raw(kPrefs, QStringLiteral("SNMPReadCommString")), QString());
    QCOMPARE(store.raw(kPrefs, QStringLiteral("SNMPWriteCommString")), QStringLiteral("s3cret"));
    QCOMPARE(sessionSettings.readCommunity, QString());
    QCOMPARE(sessionSettings.writeCommunity, QStringLiteral("s3cret"));
}

void TestNetworkOptions::cancelChangesNothing()
{
    TestStore store;
    sessionSettings.readCommunity = QStringLiteral("public");
    NetworkOptionsForm form;
    form.SNMPReadCommunityString->setText(QStringLiteral("edited"));
    form.CancelButton_Click();
    QVERIFY(!store.raw(kPrefs, QStringLiteral("SNMPReadCommString")));
    QCOMPARE(sessionSettings.readCommunity, QStringLiteral("public"));
}

QTEST_MAIN(TestNetworkOptions)
#include "tst_networkoptions.moc"
