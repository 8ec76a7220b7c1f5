// The lock's password check against PAM, and the wait after wrong passwords.
#include "PamTestService.h"
#include "lock/PasswordCheck.h"
#include "lock/UnlockDelay.h"

#include <QtTest>
#include <climits>
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
        // The password is never given to a prompt that would show it as typed.
        row("prompt that echoes", PamTestService::kEcho, right, PasswordVerdict::Unchecked);
    }

    void verdicts()
    {
        QFETCH(QByteArray, service);
        QFETCH(QString, password);
        QFETCH(PasswordVerdict, expected);
        QCOMPARE(PasswordCheck(service).check(password), expected);
    }

    // One second after the first wrong password, doubling with each further
    // one, never more than half a minute.
    void unlockDelay_data()
    {
        QTest::addColumn<int>("failures");
        QTest::addColumn<int>("delayMs");
        for (const auto &[failures, delayMs] : {std::pair{INT_MIN, 0},
                                                {0, 0},
                                                {1, 1000},
                                                {2, 2000},
                                                {5, 16000},
                                                {6, 30000},
                                                {INT_MAX, 30000}})
            QTest::addRow("%d", failures) << failures << delayMs;
    }

    void unlockDelay()
    {
        QFETCH(int, failures);
        QFETCH(int, delayMs);
        QCOMPARE(UnlockDelay::afterFailures(failures), delayMs);
    }
};

QTEST_GUILESS_MAIN(tst_PasswordCheck)
#include "tst_PasswordCheck.moc"
