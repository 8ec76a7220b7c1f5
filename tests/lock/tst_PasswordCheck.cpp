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
    void initTestCase()
    {
        QVERIFY2(PamTestService::wrapperActive(),
                 "pam_wrapper is not preloaded: refusing to check passwords against the "
                 "machine's own PAM configuration");
        m_pam = std::make_unique<PamTestService>();
    }

    void verdicts_data()
    {
        QTest::addColumn<QByteArray>("service");
        QTest::addColumn<QString>("password");
        QTest::addColumn<PasswordVerdict>("expected");

        const QByteArray station = PamTestService::kMatrix;
        const QString right = PamTestService::rightPassword();
        QTest::newRow("right password") << station << right << PasswordVerdict::Accepted;
        QTest::newRow("wrong password")
            << station << QStringLiteral("not it") << PasswordVerdict::Refused;
        QTest::newRow("right password and one more character")
            << station << right + QLatin1Char('x') << PasswordVerdict::Refused;
        QTest::newRow("right password without its last character")
            << station << right.chopped(1) << PasswordVerdict::Refused;
        QTest::newRow("right password in other case")
            << station << right.toUpper() << PasswordVerdict::Refused;
        QTest::newRow("right password, then NUL and more")
            << station << right + QChar(0) + QStringLiteral("junk") << PasswordVerdict::Refused;
        QTest::newRow("user not in the password file")
            << QByteArray(PamTestService::kStranger) << right << PasswordVerdict::Refused;
        QTest::newRow("password file unreadable")
            << QByteArray(PamTestService::kNoPassdb) << right << PasswordVerdict::Unchecked;
        // A module that accepts everything: a refusal here comes from the
        // check itself, before PAM is asked.
        QTest::newRow("any password, accepting service")
            << QByteArray(PamTestService::kPermit) << QStringLiteral("anything")
            << PasswordVerdict::Accepted;
        QTest::newRow("empty password, accepting service")
            << QByteArray(PamTestService::kPermit) << QString() << PasswordVerdict::Refused;
        QTest::newRow("NUL in the password, accepting service")
            << QByteArray(PamTestService::kPermit)
            << QStringLiteral("ab") + QChar(0) + QStringLiteral("c") << PasswordVerdict::Refused;
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
        const PasswordVerdict verdict =
            PasswordCheck(PamTestService::kEcho).check(PamTestService::rightPassword());
        QVERIFY(verdict != PasswordVerdict::Accepted);
    }
};

QTEST_GUILESS_MAIN(tst_PasswordCheck)
#include "tst_PasswordCheck.moc"
