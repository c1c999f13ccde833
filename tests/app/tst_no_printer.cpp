// SPDX-License-Identifier: GPL-3.0-or-later
// The real Qt printer on a machine without any print server: DRU says why on
// standard error, in one line, and the window stays exactly as it was. A print
// server that takes the connection and never answers does not hold the
// window, and a failed print is shown in a note beside DRU.
#include "app/line_list.h"
#include "app/program.h"
#include "app/telvor.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QtTest>
#include <cstdio>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// Everything a person or a later handler could see of the window.
QStringList snapshot(const Telvor& window) {
    QStringList state;
    for (const QWidget* w : window.findChildren<QWidget*>()) {
        if (w->objectName().isEmpty()) {
            continue;
        }
        QString line = w->objectName() + QLatin1Char(' ') + QString::number(w->isEnabled()) +
                       QString::number(w->isVisibleTo(&window)) + QLatin1Char(' ') +
                       QString::number(w->property("backColor").toUInt(), 16);
        if (const auto* field = qobject_cast<const QLineEdit*>(w)) {
            line += QLatin1Char(' ') + field->text();
        } else if (const auto* list = qobject_cast<const LineList*>(w)) {
            for (const QString& text : list->lines()) {
                line += QLatin1Char('|') + text;
            }
        } else if (const auto* button = qobject_cast<const QAbstractButton*>(w)) {
            line += QLatin1Char(' ') + QString::number(button->isChecked());
        }
        state << line;
    }
    const SharedState& st = window.shared();
    state << QStringLiteral("shared %1 %2 %3 %4 %5 %6 %7 %8 %9")
                 .arg(st.FEHLER)
                 .arg(st.TAST_ZAEHL)
                 .arg(st.INF_ZAEHL)
                 .arg(st.BAND_NR)
                 .arg(st.BAND_MUL)
                 .arg(st.QRB_PKT)
                 .arg(double{st.LAENGE})
                 .arg(double{st.BREITE})
                 .arg(QString::fromStdU16String(st.LOC_TEXT) + QLatin1Char('/') +
                      QString::fromStdU16String(st.QTH_TEXT));
    return state;
}

template <typename W> W* control(const Telvor& window, const char* name) {
    auto* w = window.findChild<W*>(QString::fromLatin1(name));
    Q_ASSERT(w != nullptr);
    return w;
}

void typeInto(const Telvor& window, const char* name, const char* text) {
    auto* field = control<QLineEdit>(window, name);
    QTest::mouseClick(field, Qt::LeftButton);
    QTest::keyClicks(field, QString::fromLatin1(text));
    QTest::keyClick(field, Qt::Key_Return);
}

// One contact typed, given a band and confirmed, so that DRU has a log to print.
void logOneContact(const Telvor& window) {
    typeInto(window, "LOC1", "jo62qm");
    typeInto(window, "LOC2", "jo73");
    QTest::mouseClick(control<QAbstractButton>(window, "B2"), Qt::LeftButton);
    QTest::mouseClick(control<QAbstractButton>(window, "OK2"), Qt::LeftButton);
}

// Captures what is written to standard error while it lives.
class StderrCapture {
public:
    StderrCapture() {
        file_.open();
        std::fflush(stderr);
        saved_ = dup(STDERR_FILENO);
        dup2(file_.handle(), STDERR_FILENO);
    }
    QStringList finish() {
        std::fflush(stderr);
        dup2(saved_, STDERR_FILENO);
        close(saved_);
        file_.seek(0);
        return QString::fromLocal8Bit(file_.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

private:
    QTemporaryFile file_;
    int saved_ = -1;
};

// A print server that takes every connection and never says a word: its
// socket listens, and nothing ever reads from it or writes to it.
class SilentServer {
public:
    SilentServer() {
        path_ = dir_.filePath(QStringLiteral("silent.sock")).toLocal8Bit();
        fd_ = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, path_.constData(), sizeof address.sun_path);
        listening_ = fd_ >= 0 && path_.size() < static_cast<qsizetype>(sizeof address.sun_path) &&
                     bind(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
                     listen(fd_, 16) == 0;
    }
    ~SilentServer() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;

    bool listening() const { return listening_; }
    const QByteArray& path() const { return path_; }

private:
    QTemporaryDir dir_;
    QByteArray path_;
    int fd_ = -1;
    bool listening_ = false;
};

// A printer that takes or refuses every document at once.
class InstantPrinter : public qrb::Printer {
public:
    explicit InstantPrinter(bool takes) : takes_(takes) {}
    qrb::PrintOutcome print(const qrb::PrintJob& /*job*/) override { return {takes_, {}}; }

private:
    bool takes_;
};

// The note about a failed print, if one is on screen.
const QLabel* shownNotice() {
    for (const QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String("printNotice") && w->isVisible()) {
            return qobject_cast<const QLabel*>(w);
        }
    }
    return nullptr;
}

enum class Server { Silent, Absent, Refusing, Taking };

} // namespace

class TstNoPrinter : public QObject {
    Q_OBJECT

private slots:
    void printingWithoutPrinterChangesNothing();
    void failedPrintIsShownWhileWindowGoesOn_data();
    void failedPrintIsShownWhileWindowGoesOn();
};

void TstNoPrinter::printingWithoutPrinterChangesNothing() {
    qrb::ProgramPrinter printer;
    Telvor window(printer);
    window.start();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    logOneContact(window);
    auto* dru = control<QAbstractButton>(window, "DRU");
    QVERIFY(dru->isEnabled());
    QCOMPARE(control<LineList>(window, "LIST1")->count(), 2);

    const QStringList before = snapshot(window);
    StderrCapture capture;
    QTest::mouseClick(dru, Qt::LeftButton);
    const QStringList errors = capture.finish();

    QCOMPARE(snapshot(window), before);
    const QStringList ours =
        errors.filter(QRegularExpression(QStringLiteral("^qrb-punkte: nicht gedruckt: .+")));
    QCOMPARE(ours.size(), 1);
}

void TstNoPrinter::failedPrintIsShownWhileWindowGoesOn_data() {
    QTest::addColumn<Server>("server");
    // What the line on standard error and the note say, %1 the server's socket.
    QTest::addColumn<QString>("reason");
    QTest::newRow("server never answers")
        << Server::Silent << QStringLiteral("der Druckserver %1 antwortet nicht");
    QTest::newRow("no server at the socket")
        << Server::Absent << QStringLiteral("der Druckserver %1 ist nicht erreichbar");
    QTest::newRow("printer refuses") << Server::Refusing << QString();
    QTest::newRow("printer takes the job") << Server::Taking << QString();
}

void TstNoPrinter::failedPrintIsShownWhileWindowGoesOn() {
    QFETCH(Server, server);
    QFETCH(QString, reason);

    SilentServer silent;
    QVERIFY(silent.listening());
    const QByteArray socket = server == Server::Silent
                                  ? silent.path()
                                  : QByteArray("/nonexistent/qrb-punkte-no-printer.sock");
    qputenv("CUPS_SERVER", socket);
    qrb::ProgramPrinter real;
    InstantPrinter instant(server == Server::Taking);
    const bool isReal = server == Server::Silent || server == Server::Absent;
    Telvor window(isReal ? static_cast<qrb::Printer&>(real) : instant);
    window.start();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    logOneContact(window);
    auto* loc2 = control<QLineEdit>(window, "LOC2");

    const QStringList before = snapshot(window);
    StderrCapture capture;
    QTest::mouseClick(control<QAbstractButton>(window, "DRU"), Qt::LeftButton);
    QCOMPARE(snapshot(window), before);

    if (server == Server::Taking) {
        QVERIFY(shownNotice() == nullptr);
        QVERIFY(capture.finish().isEmpty());
        return;
    }
    if (server == Server::Silent) {
        // The click came back before the server's silence was known, and the
        // window takes the next key through its event loop meanwhile.
        QVERIFY(shownNotice() == nullptr);
        QCoreApplication::postEvent(
            loc2, new QKeyEvent(QEvent::KeyPress, Qt::Key_J, Qt::NoModifier, QStringLiteral("j")));
        QTRY_COMPARE_WITH_TIMEOUT(loc2->text(), QStringLiteral("J"), 10000);
        QVERIFY(shownNotice() == nullptr);
    }
    const QStringList meanwhile = snapshot(window);
    // Wherever the click or the key put it, the note must not move the focus.
    QWidget* focus = QApplication::focusWidget();

    QTRY_VERIFY_WITH_TIMEOUT(shownNotice() != nullptr, 20000);
    const QStringList errors = capture.finish();
    QCOMPARE(snapshot(window), meanwhile);
    QCOMPARE(QApplication::focusWidget(), focus);
    const QString said = shownNotice()->text();
    QVERIFY2(said.startsWith(QStringLiteral("Nicht gedruckt")), qPrintable(said));
    if (reason.isEmpty()) {
        return;
    }
    const QString why = reason.arg(QString::fromLocal8Bit(socket));
    QCOMPARE(errors, QStringList{QStringLiteral("qrb-punkte: nicht gedruckt: ") + why});
    QVERIFY2(said.endsWith(why), qPrintable(said));
}

int main(int argc, char* argv[]) {
    // No print server anywhere: libcups finds nothing at this socket.
    qputenv("CUPS_SERVER", "/nonexistent/qrb-punkte-no-printer.sock");
    QApplication app(argc, argv);
    TstNoPrinter test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_no_printer.moc"
