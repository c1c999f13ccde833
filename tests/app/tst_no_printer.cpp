// The real Qt printer on a machine without any print server: DRU says why on
// standard error, in one line, and the window stays exactly as it was.
#include "line_list.h"
#include "qt_printer.h"
#include "telvor.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QTemporaryFile>
#include <QtTest>
#include <cstdio>
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
                 .arg(st.LOC_TEXT + QLatin1Char('/') + st.QTH_TEXT);
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

} // namespace

class TstNoPrinter : public QObject {
    Q_OBJECT

private slots:
    void printingWithoutPrinterChangesNothing();
};

void TstNoPrinter::printingWithoutPrinterChangesNothing() {
    QtPrinter printer;
    Telvor window(printer);
    window.start();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    typeInto(window, "LOC1", "jo62qm");
    typeInto(window, "LOC2", "jo73");
    QTest::mouseClick(control<QAbstractButton>(window, "B2"), Qt::LeftButton);
    QTest::mouseClick(control<QAbstractButton>(window, "OK2"), Qt::LeftButton);
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

int main(int argc, char* argv[]) {
    // No print server anywhere: libcups finds nothing at this socket.
    qputenv("CUPS_SERVER", "/nonexistent/qrb-punkte-no-printer.sock");
    QApplication app(argc, argv);
    TstNoPrinter test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_no_printer.moc"
