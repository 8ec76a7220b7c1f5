#include <QtTest>
class TestVeltoSnmpd : public QObject
{
    Q_OBJECT
};
QTEST_MAIN(TestVeltoSnmpd)
#include "tst_veltosnmpd.moc"
