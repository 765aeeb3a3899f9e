// The port mapper's states, driven through two fake ways of asking a router:
// which way is asked, when the forwarding is undone, and what happens when it
// is wanted again before the router has let go of the old one.

#include "net/mappingprotocol.h"
#include "net/portmapper.h"

#include <QTest>

#include <utility>

using glyphon::MappingProtocol;
using glyphon::PortMapper;

namespace {

class FakeWay : public MappingProtocol
{
public:
    explicit FakeWay(QString name)
        : m_name(std::move(name))
    {
    }
    QString name() const override { return m_name; }
    void map(quint16 port) override
    {
        ++maps;
        m_port = port;
        m_step = Step::Mapping;
    }
    void unmap() override
    {
        ++unmaps;
        m_step = Step::Unmapping;
    }
    // The router's next answer, heard at the mapper's next pulse (a way not
    // yet asked hears it once asked).
    void answer(const QString &what) { m_next = what; }
    void pulse(qint64) override
    {
        const QString what = std::exchange(m_next, QString());
        if (what.isEmpty())
            return;
        if (what == u"mapped") {
            m_publicAddress = QStringLiteral("203.0.113.7");
            m_step = Step::Mapped;
        } else if (what == u"idle") {
            m_step = Step::Idle;
        } else {
            fail(what);
        }
    }

    int maps = 0;
    int unmaps = 0;

private:
    QString m_name;
    QString m_next;
};

} // namespace

class TestPortMapper : public QObject
{
    Q_OBJECT

private slots:
    void states_data();
    void states();
};

void TestPortMapper::states_data()
{
    QTest::addColumn<QString>("script"); // steps, see states()
    QTest::addColumn<QString>("state");  // the state at the end
    QTest::addColumn<QString>("error");
    QTest::addColumn<QList<int>>("asked"); // maps of A, maps of B, unmaps of A
    using L = QList<int>;
    QTest::newRow("the first way maps") << "on A:mapped @mapped" << "mapped" << "" << L{1, 0, 0};
    QTest::newRow("no port, nothing asked") << "noport on" << "unmapped" << "" << L{0, 0, 0};
    QTest::newRow("the second way after the first fails")
        << "on A:no-router B:mapped @mapped" << "mapped" << "" << L{1, 1, 0};
    QTest::newRow("both fail: both reasons") << "on A:no-router B:refused @error" << "error"
                                             << "no-router (A); refused (B)" << L{1, 1, 0};
    QTest::newRow("off undoes the forwarding") << "on A:mapped @mapped off A:idle @unmapped" << "unmapped" << ""
                                               << L{1, 0, 1};
    QTest::newRow("wanted again while undoing") << "on A:mapped @mapped off on A:idle @mapping A:mapped @mapped"
                                                << "mapped" << "" << L{2, 0, 1};
    QTest::newRow("undoing fails") << "on A:mapped @mapped off A:gone @error" << "error" << "" << L{1, 0, 1};
    QTest::newRow("the router drops it") << "on A:mapped @mapped A:lease-lost @error" << "error" << "lease-lost"
                                         << L{1, 0, 0};
    QTest::newRow("after an error, on again asks again")
        << "on A:x B:y @error off on A:mapped @mapped" << "mapped" << "" << L{2, 1, 0};
}

// Steps: "on"/"off" (wanted), "noport" (no port set), "A:answer"/"B:answer"
// (what the router says next), "@state" (wait for the mapper to get there).
void TestPortMapper::states()
{
    QFETCH(QString, script);
    QFETCH(QString, state);
    QFETCH(QString, error);
    QFETCH(QList<int>, asked);
    auto *a = new FakeWay(QStringLiteral("A"));
    auto *b = new FakeWay(QStringLiteral("B"));
    PortMapper mapper{std::unique_ptr<MappingProtocol>(a), std::unique_ptr<MappingProtocol>(b)};
    const QStringList steps = script.split(u' ');
    if (!steps.contains(u"noport"))
        mapper.setPort(7772);
    for (const QString &step : steps) {
        if (step == u"on" || step == u"off")
            mapper.setEnabled(step == u"on");
        else if (step.startsWith(u"A:"))
            a->answer(step.mid(2));
        else if (step.startsWith(u"B:"))
            b->answer(step.mid(2));
        else if (step.startsWith(u'@'))
            QTRY_COMPARE(PortMapper::stateName(mapper.state()), step.mid(1));
    }
    QCOMPARE(PortMapper::stateName(mapper.state()), state);
    if (!error.isEmpty())
        QCOMPARE(mapper.errorString(), error);
    QCOMPARE((QList<int>{a->maps, b->maps, a->unmaps}), asked);
    if (state == u"mapped")
        QCOMPARE(mapper.publicAddress(), QStringLiteral("203.0.113.7"));
}

QTEST_GUILESS_MAIN(TestPortMapper)
#include "tst_portmapper.moc"
