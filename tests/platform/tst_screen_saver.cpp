#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusObjectPath>
#include <QElapsedTimer>
#include <QMutex>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include "platform/app_info.h"
#include "platform/messages.h"
#include "platform/screen_saver.h"
#include "platform/scripted_dialogs.h"

using namespace Qt::StringLiterals;

// A desktop's screen-saver service, as the program meets it on the session bus.
class FakeScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

public:
    int inhibits() const {
        QMutexLocker lock(&m_mutex);
        return m_inhibits;
    }
    QList<uint> released() const {
        QMutexLocker lock(&m_mutex);
        return m_released;
    }
    QString application() const {
        QMutexLocker lock(&m_mutex);
        return m_application;
    }

public slots:
    uint Inhibit(const QString& application, const QString& reason) {
        QMutexLocker lock(&m_mutex);
        Q_UNUSED(reason);
        m_application = application;
        return uint(4000 + ++m_inhibits);
    }
    void UnInhibit(uint cookie) {
        QMutexLocker lock(&m_mutex);
        m_released.append(cookie);
    }

private:
    mutable QMutex m_mutex;
    int m_inhibits = 0;
    QList<uint> m_released;
    QString m_application;
};

// The request a desktop portal hands out for a hold; closing it ends the hold.
class FakePortalRequest : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Request")

public:
    int closes() const {
        QMutexLocker lock(&m_mutex);
        return m_closes;
    }

public slots:
    void Close() {
        QMutexLocker lock(&m_mutex);
        ++m_closes;
    }

private:
    mutable QMutex m_mutex;
    int m_closes = 0;
};

// The desktop portal's Inhibit, as Wayland compositors without a screen-saver service offer it.
class FakePortal : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Inhibit")

public:
    static QString requestPath() { return u"/org/freedesktop/portal/desktop/request/1/q1"_s; }
    uint flags() const {
        QMutexLocker lock(&m_mutex);
        return m_flags;
    }
    QString reason() const {
        QMutexLocker lock(&m_mutex);
        return m_reason;
    }

public slots:
    QDBusObjectPath Inhibit(const QString& window, uint flags, const QVariantMap& options) {
        QMutexLocker lock(&m_mutex);
        Q_UNUSED(window);
        m_flags = flags;
        m_reason = options.value(u"reason"_s).toString();
        return QDBusObjectPath(requestPath());
    }

private:
    mutable QMutex m_mutex;
    uint m_flags = 0;
    QString m_reason;
};

class TestScreenSaver : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void withoutBusOrDisplayTheMessageShowsOnce();
    void busWithoutTheServiceFallsIntoTheMessage();
    void portalHoldsTheSessionAwakeWithoutTheService();
    void serviceHoldsTheScreenSaverOffUntilReleased();
    void destructionReleasesWhatIsStillHeld();

private:
    // Starts a private session bus and points the program at it; false when none can be started.
    bool startBus();
    // Offers the fake service on the private bus at path; the service runs on its own thread so
    // that the program's blocking calls are answered.
    void offerService(const QString& path);

    QTemporaryDir m_dir;
    QProcess m_busDaemon;
    QString m_busAddress;
    QThread m_serviceThread;
    FakeScreenSaver* m_service = nullptr;
    QString m_serviceConnection;
    FakePortal* m_portal = nullptr;
    FakePortalRequest* m_request = nullptr;
};

void TestScreenSaver::initTestCase() {
    QVERIFY(m_dir.isValid());
}

void TestScreenSaver::cleanupTestCase() {
    if (!m_serviceConnection.isEmpty()) {
        QDBusConnection::disconnectFromBus(m_serviceConnection);
    }
    QDBusConnection::disconnectFromBus(u"fake-portal"_s);
    m_serviceThread.quit();
    m_serviceThread.wait(5000);
    delete m_service;
    delete m_portal;
    delete m_request;
    if (m_busDaemon.state() != QProcess::NotRunning) {
        m_busDaemon.terminate();
        if (!m_busDaemon.waitForFinished(5000)) {
            m_busDaemon.kill();
            m_busDaemon.waitForFinished(5000);
        }
    }
}

void TestScreenSaver::init() {
    // No bus anywhere unless a test starts one.
    qputenv("DBUS_SESSION_BUS_ADDRESS",
            QByteArray("unix:path=" + QFile::encodeName(m_dir.filePath(u"no-bus"_s))));
}

bool TestScreenSaver::startBus() {
    if (m_busAddress.isEmpty()) {
        const QString daemon = QStandardPaths::findExecutable(u"dbus-daemon"_s);
        if (daemon.isEmpty()) {
            return false;
        }
        m_busDaemon.start(daemon, {u"--session"_s, u"--nofork"_s, u"--nopidfile"_s,
                                   u"--address=unix:dir="_s + m_dir.path(), u"--print-address"_s});
        if (!m_busDaemon.waitForStarted(5000)) {
            return false;
        }
        QElapsedTimer timer;
        timer.start();
        while (!m_busDaemon.canReadLine() && timer.elapsed() < 5000) {
            m_busDaemon.waitForReadyRead(500);
        }
        m_busAddress = QString::fromUtf8(m_busDaemon.readLine()).trimmed();
    }
    qputenv("DBUS_SESSION_BUS_ADDRESS", m_busAddress.toUtf8());
    return !m_busAddress.isEmpty();
}

void TestScreenSaver::offerService(const QString& path) {
    m_serviceConnection = u"fake-screensaver"_s;
    QDBusConnection bus = QDBusConnection::connectToBus(m_busAddress, m_serviceConnection);
    QVERIFY(bus.isConnected());
    m_service = new FakeScreenSaver;
    m_service->moveToThread(&m_serviceThread);
    m_serviceThread.start();
    QVERIFY(bus.registerObject(path, m_service, QDBusConnection::ExportAllSlots));
    QVERIFY(bus.registerService(u"org.freedesktop.ScreenSaver"_s));
}

void TestScreenSaver::withoutBusOrDisplayTheMessageShowsOnce() {
    ScriptedDialogs dialogs;
    QElapsedTimer timer;
    timer.start();
    {
        ScreenSaverControl control(dialogs);
        QVERIFY(!control.SetScreenSaver(false));
        QVERIFY(!control.isHeldOff());
        // Nothing was taken, so giving it back is no failure and no second message.
        QVERIFY(control.SetScreenSaver(true));
    }
    QVERIFY2(timer.elapsed() < 3000, qPrintable(QString::number(timer.elapsed())));

    QCOMPARE(dialogs.calls().size(), 1);
    const ScriptedDialogs::Call& call = dialogs.calls().first();
    QCOMPARE(call.kind, ScriptedDialogs::Kind::Message);
    QCOMPARE(call.text, u"スクリーンセーバーON/OFF設定でエラー"_s);
    QCOMPARE(call.text, platform_msg::screenSaverError());
    QCOMPARE(toString(call.icon), toString(MsgIcon::None));
    QCOMPARE(toString(call.buttons), toString(MsgButtons::Ok));
    QCOMPARE(call.title, app_info::title());
}

void TestScreenSaver::busWithoutTheServiceFallsIntoTheMessage() {
    if (!startBus()) {
        QSKIP("dbus-daemon cannot be started here");
    }
    ScriptedDialogs dialogs;
    QElapsedTimer timer;
    timer.start();
    ScreenSaverControl control(dialogs);
    QVERIFY(!control.SetScreenSaver(false));
    QVERIFY(timer.elapsed() < 3000);
    QCOMPARE(dialogs.messages().size(), 1);
    QCOMPARE(dialogs.messages().first().text, platform_msg::screenSaverError());
}

void TestScreenSaver::portalHoldsTheSessionAwakeWithoutTheService() {
    if (!startBus()) {
        QSKIP("dbus-daemon cannot be started here");
    }
    QDBusConnection bus = QDBusConnection::connectToBus(m_busAddress, u"fake-portal"_s);
    QVERIFY(bus.isConnected());
    m_portal = new FakePortal;
    m_request = new FakePortalRequest;
    m_portal->moveToThread(&m_serviceThread);
    m_request->moveToThread(&m_serviceThread);
    m_serviceThread.start();
    QVERIFY(bus.registerObject(u"/org/freedesktop/portal/desktop"_s, m_portal,
                               QDBusConnection::ExportAllSlots));
    QVERIFY(
        bus.registerObject(FakePortal::requestPath(), m_request, QDBusConnection::ExportAllSlots));
    QVERIFY(bus.registerService(u"org.freedesktop.portal.Desktop"_s));

    ScriptedDialogs dialogs;
    {
        ScreenSaverControl control(dialogs);
        QVERIFY(control.SetScreenSaver(false));
        QVERIFY(control.isHeldOff());
        QCOMPARE(m_portal->flags(), 8U);  // the session going idle
        QCOMPARE(m_portal->reason(), platform_msg::screenSaverInhibitReason());
        QVERIFY(control.SetScreenSaver(true));
        QVERIFY(!control.isHeldOff());
        QCOMPARE(m_request->closes(), 1);

        // A hold still in place when the program ends is given back too.
        QVERIFY(control.SetScreenSaver(false));
    }
    QTRY_COMPARE_WITH_TIMEOUT(m_request->closes(), 2, 5000);
    // Only a failure of every way shows the message.
    QVERIFY(dialogs.calls().isEmpty());
}

void TestScreenSaver::serviceHoldsTheScreenSaverOffUntilReleased() {
    if (!startBus()) {
        QSKIP("dbus-daemon cannot be started here");
    }
    // Only at the older object path: the program must find it there too.
    offerService(u"/ScreenSaver"_s);

    ScriptedDialogs dialogs;
    ScreenSaverControl control(dialogs);
    QVERIFY(control.SetScreenSaver(false));
    QVERIFY(control.isHeldOff());
    QCOMPARE(m_service->inhibits(), 1);
    QCOMPARE(m_service->application(), app_info::title());
    // Asking twice holds it once.
    QVERIFY(control.SetScreenSaver(false));
    QCOMPARE(m_service->inhibits(), 1);

    QVERIFY(control.SetScreenSaver(true));
    QVERIFY(!control.isHeldOff());
    QCOMPARE(m_service->released(), QList<uint>{4001});
    QVERIFY(dialogs.calls().isEmpty());
}

void TestScreenSaver::destructionReleasesWhatIsStillHeld() {
    if (!startBus() || m_service == nullptr) {
        QSKIP("needs the private bus and service of the test before");
    }
    ScriptedDialogs dialogs;
    {
        ScreenSaverControl control(dialogs);
        QVERIFY(control.SetScreenSaver(false));
        QCOMPARE(m_service->inhibits(), 2);
    }
    QTRY_COMPARE_WITH_TIMEOUT(m_service->released(), (QList<uint>{4001, 4002}), 5000);
    QVERIFY(dialogs.calls().isEmpty());
}

QTEST_MAIN(TestScreenSaver)
#include "tst_screen_saver.moc"
