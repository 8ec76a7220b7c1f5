#include "PamTestService.h"

#include "lock/PasswordCheck.h"

#include <QFile>
#include <QtTest>
#include <string_view>

namespace {

void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(file.write(content), content.size());
}

} // namespace

QString PamTestService::rightPassword()
{
    return QStringLiteral("Gr\u00fcnes-Funkfeld 7");
}

PamTestService::PamTestService()
{
    static_assert(std::string_view(kMatrix) == PasswordCheck::kServiceName);
    QVERIFY2(m_dir.isValid(), "temporary PAM folder");
    QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("services")));
    const QByteArray user = PasswordCheck::userName();
    QVERIFY2(!user.isEmpty(), "the test's user has a login name");
    const QByteArray password = rightPassword().toUtf8();
    writeFile(m_dir.filePath(QStringLiteral("passdb")),
              user + ':' + password + ':' + PasswordCheck::kServiceName + '\n');
    writeFile(m_dir.filePath(QStringLiteral("stranger-passdb")),
              "kavo-stranger:" + password + ':' + PasswordCheck::kServiceName + '\n');

    // Services without a file of their own fall back to "other": refuse there.
    writeService("other", QStringLiteral(KAVO_PAM_DENY_MODULE));
    writeService(kMatrix, matrixLine(QStringLiteral("passdb")));
    writeService(kPermit, QStringLiteral(KAVO_PAM_PERMIT_MODULE));
    writeService(kEcho, matrixLine(QStringLiteral("passdb"), QStringLiteral("echo")));
    writeService(kStranger, matrixLine(QStringLiteral("stranger-passdb")));
    writeService(kNoPassdb, matrixLine(QStringLiteral("no-such-passdb")));
    qputenv("PAM_WRAPPER_SERVICE_DIR",
            QFile::encodeName(m_dir.filePath(QStringLiteral("services"))));
}

bool PamTestService::wrapperActive()
{
    if (qgetenv("PAM_WRAPPER") != "1")
        return false;
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libpam_wrapper.so");
}

void PamTestService::writeService(const char *service, const QString &authLine)
{
    writeFile(m_dir.filePath(QStringLiteral("services/") + QLatin1String(service)),
              "auth required " + authLine.toUtf8() + '\n');
}

QString PamTestService::matrixLine(const QString &passdb, const QString &options) const
{
    QString line = QStringLiteral(KAVO_PAM_MATRIX_MODULE " passdb=") + m_dir.filePath(passdb);
    if (!options.isEmpty())
        line += QLatin1Char(' ') + options;
    return line;
}
