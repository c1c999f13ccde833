// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader announces for the window and each of its controls: the
// accessible name (from the caption beside the control, or its own caption),
// the description (from the tooltip), the role, and for the entry and display
// fields the caption label that labels them. The names must not follow the
// texts the program writes into the fields while it runs.
#include "app/line_list.h"
#include "app/telvor.h"
#include "output/qt/qt_printer.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QLineEdit>
#include <QSet>
#include <QtTest>

namespace {

struct Expected {
    const char* control;
    QAccessible::Role role;
    const char* name;
    const char* description; // "" where the control has no tooltip
    const char* labelledBy;  // caption label, or nullptr
};

// Every control of the window that a screen reader can reach.
const Expected kControls[] = {
    {"TEXT1", QAccessible::StaticText, "Berechnung der QRB-Punkte für das EU-UKW-Diplom", "",
     nullptr},
    {"OK1", QAccessible::Button, "END", "Pogrammende", nullptr},
    {"LIST2", QAccessible::List, "Punktetabelle", "", nullptr},
    {"DRU", QAccessible::Button, "DRU", "Protokoll ausdrucken", nullptr},
    {"Text2", QAccessible::StaticText, "Summe QRB", "", nullptr},
    {"SU", QAccessible::EditableText, "Summe QRB", "", "Text2"},
    {"Text4", QAccessible::StaticText, "Eigener Locator", "", nullptr},
    {"LOC1", QAccessible::EditableText, "Eigener Locator", "4-stellig", "Text4"},
    {"LIST0", QAccessible::List, "Kopfzeile", "", nullptr},
    {"LIST1", QAccessible::List, "Protokoll", "", nullptr},
    {"TEXT5", QAccessible::StaticText, "Fremder Locator", "", nullptr},
    {"LOC2", QAccessible::EditableText, "Fremder Locator", "4-stellig", "TEXT5"},
    {"LIST3", QAccessible::List, "QTH-Info", "", nullptr},
    {"TEXT6", QAccessible::StaticText, "QTH - Kenner", "", nullptr},
    {"QTH2", QAccessible::EditableText, "QTH - Kenner", "4-stellig (+-) (+-)", "TEXT6"},
    {"INF", QAccessible::Button, "?", "QTH-Info (ein/aus)", nullptr},
    {"BAND", QAccessible::Grouping, "BAND [MHz, GHz]", "", nullptr},
    {"B0", QAccessible::RadioButton, "Band 50", "", nullptr},
    {"B1", QAccessible::RadioButton, "Band 144", "", nullptr},
    {"B2", QAccessible::RadioButton, "Band 432", "", nullptr},
    {"B3", QAccessible::RadioButton, "Band 1.2", "", nullptr},
    {"B4", QAccessible::RadioButton, "Band 2.3", "", nullptr},
    {"B5", QAccessible::RadioButton, "Band 3.6", "", nullptr},
    {"B6", QAccessible::RadioButton, "Band 5.7", "", nullptr},
    {"B7", QAccessible::RadioButton, "Band 10", "", nullptr},
    {"B8", QAccessible::RadioButton, "Band 24", "", nullptr},
    {"B9", QAccessible::RadioButton, "Band 47", "", nullptr},
    {"TEXT7", QAccessible::StaticText, "QRB-Punkte", "", nullptr},
    {"PANZ", QAccessible::EditableText, "QRB-Punkte", "", "TEXT7"},
    {"OK2", QAccessible::Button, "OK", "Eigabebestätigung", nullptr},
};

QWidget* control(const Telvor& window, const char* name) {
    return window.findChild<QWidget*>(QString::fromLatin1(name));
}

void typeInto(QWidget* field, const char* text) {
    QTest::keyClicks(field, QString::fromLatin1(text));
    QTest::keyClick(field, Qt::Key_Return);
}

} // namespace

class TstAccessibility : public QObject {
    Q_OBJECT

    QtPrinter printer_;
    Telvor* window_ = nullptr;

private slots:
    void init();
    void cleanup();

    void windowIsNamedByItsCaption();
    void controls_data();
    void controls();
    void everyControlIsListed();
    void everyControlIsAChildOfTheWindow();
    void namesStayWhileTheFieldsAreFilled();
};

void TstAccessibility::init() {
    window_ = new Telvor(printer_);
    window_->start();
    QVERIFY(QTest::qWaitForWindowExposed(window_));
}

void TstAccessibility::cleanup() {
    delete window_;
    window_ = nullptr;
}

// The application's top-level windows are what a screen reader lists first.
void TstAccessibility::windowIsNamedByItsCaption() {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(window_);
    QVERIFY(iface != nullptr);
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("QRB-PUNKTE"));

    QAccessibleInterface* application = QAccessible::queryAccessibleInterface(qApp);
    QVERIFY(application != nullptr);
    QStringList windows;
    for (int i = 0; i < application->childCount(); ++i) {
        windows << application->child(i)->text(QAccessible::Name);
    }
    QCOMPARE(windows, QStringList{QStringLiteral("QRB-PUNKTE")});
}

void TstAccessibility::controls_data() {
    QTest::addColumn<int>("row");
    for (int i = 0; i < static_cast<int>(std::size(kControls)); ++i) {
        QTest::newRow(kControls[i].control) << i;
    }
}

void TstAccessibility::controls() {
    QFETCH(int, row);
    const Expected& want = kControls[row];
    QWidget* widget = control(*window_, want.control);
    QVERIFY(widget != nullptr);
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
    QVERIFY(iface != nullptr);
    QVERIFY(iface->isValid());
    QCOMPARE(iface->role(), want.role);
    QCOMPARE(iface->text(QAccessible::Name), QString::fromUtf8(want.name));
    QCOMPARE(iface->text(QAccessible::Description), QString::fromUtf8(want.description));
    // The description comes from the tooltip a sighted user sees, and no
    // tooltip was added just to carry it.
    QCOMPARE(widget->toolTip(), QString::fromUtf8(want.description));

    const auto labels = iface->relations(QAccessible::Label);
    if (want.labelledBy == nullptr) {
        return;
    }
    QAccessibleInterface* caption =
        QAccessible::queryAccessibleInterface(control(*window_, want.labelledBy));
    QVERIFY(caption != nullptr);
    bool found = false;
    for (const auto& [other, relation] : labels) {
        found = found || (other == caption && relation.testFlag(QAccessible::Label));
    }
    QVERIFY2(found, "the field is not labelled by its caption");
}

// A control added to the window later cannot stay silent: every control with a
// tab index must be in the table above.
void TstAccessibility::everyControlIsListed() {
    QSet<QString> listed;
    for (const Expected& want : kControls) {
        listed.insert(QString::fromLatin1(want.control));
    }
    int controls = 0;
    for (QWidget* child : window_->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!child->property("tabIndex").isValid()) {
            continue;
        }
        ++controls;
        QVERIFY2(listed.contains(child->objectName()), qPrintable(child->objectName()));
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(child);
        QVERIFY(iface != nullptr);
        QVERIFY2(!iface->text(QAccessible::Name).isEmpty(), qPrintable(child->objectName()));
    }
    QCOMPARE(controls, static_cast<int>(std::size(kControls)));
}

// A screen reader walks the tree from the window down: each control is found
// there under its name.
void TstAccessibility::everyControlIsAChildOfTheWindow() {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(window_);
    QVERIFY(iface != nullptr);
    QSet<QString> reached;
    for (int i = 0; i < iface->childCount(); ++i) {
        QAccessibleInterface* child = iface->child(i);
        QVERIFY(child != nullptr);
        QCOMPARE(child->parent(), iface);
        reached.insert(child->object()->objectName() + QLatin1Char('=') +
                       child->text(QAccessible::Name));
    }
    for (const Expected& want : kControls) {
        const QString entry =
            QString::fromLatin1(want.control) + QLatin1Char('=') + QString::fromUtf8(want.name);
        QVERIFY2(reached.contains(entry), qPrintable(entry));
    }
}

// While a contact is entered and logged the fields and lists fill with text;
// the names stay those of the captions and the text is the value.
void TstAccessibility::namesStayWhileTheFieldsAreFilled() {
    QVERIFY(QTest::qWaitForWindowActive(window_));
    typeInto(control(*window_, "LOC1"), "jo62qm");
    typeInto(control(*window_, "LOC2"), "jo73");
    QTest::mouseClick(qobject_cast<QAbstractButton*>(control(*window_, "B2")), Qt::LeftButton);
    auto* panz = qobject_cast<QLineEdit*>(control(*window_, "PANZ"));
    QVERIFY(!panz->text().isEmpty());
    QTest::mouseClick(qobject_cast<QAbstractButton*>(control(*window_, "OK2")), Qt::LeftButton);
    QCOMPARE(qobject_cast<LineList*>(control(*window_, "LIST1"))->count(), 2);
    typeInto(control(*window_, "LOC2"), "jo73");

    for (const char* name : {"LOC1", "LOC2", "SU"}) {
        auto* field = qobject_cast<QLineEdit*>(control(*window_, name));
        QVERIFY(!field->text().isEmpty());
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(field);
        QVERIFY(iface->textInterface() != nullptr);
        QCOMPARE(iface->textInterface()->text(0, iface->textInterface()->characterCount()),
                 field->text());
    }
    for (const Expected& want : kControls) {
        QAccessibleInterface* iface =
            QAccessible::queryAccessibleInterface(control(*window_, want.control));
        QCOMPARE(iface->text(QAccessible::Name), QString::fromUtf8(want.name));
    }
}

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    TstAccessibility test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_accessibility.moc"
