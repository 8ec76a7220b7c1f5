#include "PamTestService.h"
#include "lock/PasswordCheck.h"

#include <QtTest>
#include <memory>

Q_DECLARE_METATYPE(PasswordVerdict)

class tst_PasswordCheck : public QObject
{
    Q_OBJECT
    std::unique_ptr<PamTestService> m_pam;

private slots:
    void initTestCase() { m_pam = std::make_unique<PamTestService>(); }

    void verdicts_data()
    {
        QTest::addColumn<QByteArray>("service");
        QTest::addColumn<QString>("password");
        QTest::addColumn<PasswordVerdict>("expected");
        const auto row = [](const char *name, const char *service, const QString &password,
                            PasswordVerdict expected) {
            QTest::newRow(name) << QByteArray(service) << password << expected;
        };
        const char *station = PamTestService::kMatrix;
        const QString right = PamTestService::rightPassword();
        row("right password", station, right, PasswordVerdict::Accepted);
        row("wrong password", station, "not it", PasswordVerdict::Refused);
        row("right password and one more character", station, right + 'x',
            PasswordVerdict::Refused);
        row("right password without its last character", station, right.chopped(1),
            PasswordVerdict::Refused);
        row("right password in other case", station, right.toUpper(), PasswordVerdict::Refused);
        row("right password, then NUL and more", station, right + QChar(0) + "junk",
            PasswordVerdict::Refused);
        row("user not in the password file", PamTestService::kStranger, right,
            PasswordVerdict::Refused);
        row("password file unreadable", PamTestService::kNoPassdb, right,
            PasswordVerdict::Unchecked);
        // A module that accepts everything: a refusal here comes from the
        // check itself, before PAM is asked.
        row("any password, accepting service", PamTestService::kPermit, "anything",
            PasswordVerdict::Accepted);
        row("empty password, accepting service", PamTestService::kPermit, "",
            PasswordVerdict::Refused);
        row("NUL in the password, accepting service", PamTestService::kPermit,
            QString("ab") + QChar(0) + "c", PasswordVerdict::Refused);
    }

    void verdicts()
    {
        QFETCH(QByteArray, service);
        QFETCH(QString, password);
        QFETCH(PasswordVerdict, expected);
        QCOMPARE(PasswordCheck(service).check(password), expected);
    }

    // The password is never given to a prompt that would show it as typed.
    void echoedPromptGetsNoPassword()
    {
        const PasswordCheck echoing(PamTestService::kEcho);
        QVERIFY(echoing.check(PamTestService::rightPassword()) != PasswordVerdict::Accepted);
    }
};

QTEST_GUILESS_MAIN(tst_PasswordCheck)
#include "tst_PasswordCheck.moc"
