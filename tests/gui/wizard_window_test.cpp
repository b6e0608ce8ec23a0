// The wizard as a user drives it: pages by control id, every box answered by the test,
// jobs run through the OCI emulator and the workbook read back by an independent reader.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QUrl>
#include <QtTest>
#include <deque>
#include <functional>

#include "../e2e/cli_harness.h"
#include "../support/emulator.h"
#include "../support/workbook_reader.h"
#include "convert/conversion_run.h"
#include "convert/job_session.h"
#include "gui/sprandel_session.h"
#include "gui/sprandel_wizard.h"
#include "toolkit/exception.h"
#include "toolkit/files.h"

namespace {

// Answers the modal windows that come up, in order: each step gets the window and acts on
// it. A window nobody expected is closed and recorded, so a test fails instead of hanging.
class modal_answerer : public QObject {
public:
    using step = std::function<void(QWidget*)>;

    modal_answerer() {
        connect(&timer_, &QTimer::timeout, this, &modal_answerer::tick);
        timer_.start(20);
    }
    void then(step action) { steps_.push_back(std::move(action)); }
    // A message box: its caption and text are recorded, then the button is clicked.
    void answer(QMessageBox::StandardButton button) {
        then([this, button](QWidget* window) {
            auto* box = qobject_cast<QMessageBox*>(window);
            seen << (box ? box->windowTitle() + " | " + box->text() : "not a message box: " + window->objectName());
            // the caption must fit the title bar, not end in "Sprand...ssage"
            if (box && box->width() < QFontMetrics(box->font()).horizontalAdvance(box->windowTitle()) + 100)
                seen << "too narrow for its caption: " + box->windowTitle();
            if (box) box->button(button)->click();
            else window->close();
        });
    }
    bool done() const { return steps_.empty(); }

    QStringList seen;

private:
    void tick() {
        QWidget* window = QApplication::activeModalWidget();
        // the connect animation closes by itself; a window already handled waits for its step
        if (window == nullptr || window->objectName() == "101" || window == handled_) return;
        handled_ = window;
        if (steps_.empty()) {
            seen << "unexpected: " + window->objectName() + " " + window->windowTitle();
            QTimer::singleShot(0, window, &QWidget::close);
            return;
        }
        step action = std::move(steps_.front());
        steps_.pop_front();
        // Run outside this tick: the action may open a nested box that needs the next ticks.
        QTimer::singleShot(0, window, [action, window] { action(window); });
    }

    QTimer timer_;
    std::deque<step> steps_;
    QPointer<QWidget> handled_;
};

template <class T>
T* control(QWidget* page, const char* id) {
    T* found = page->findChild<T*>(QString::fromLatin1(id));
    if (found == nullptr) qFatal("control %s missing on %s", id, qPrintable(page->objectName()));
    return found;
}

// Every visible button of the window (and every label that leads to a field) has an Alt
// letter, and no letter is used twice; the problems found, as text.
QStringList mnemonic_problems(QWidget* window) {
    QStringList problems;
    QMap<QChar, QString> taken;
    const auto check = [&](const QString& text, bool needs_one) {
        const qsizetype at = text.indexOf(QRegularExpression("&[^&]"));
        if (at < 0) {
            if (needs_one) problems << "no letter: " + text;
            return;
        }
        const QChar letter = text.at(at + 1).toLower();
        if (taken.contains(letter)) problems << taken[letter] + " and " + text;
        taken[letter] = text;
    };
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>())
        if (button->isVisible() && !button->text().isEmpty()) check(button->text(), true);
    for (QLabel* label : window->findChildren<QLabel*>())
        if (label->isVisible() && label->buddy() != nullptr) check(label->text(), false);
    return problems;
}

// Pixel by pixel, whatever the formats and colour spaces the images carry.
bool same_colours(const QImage& one, const QImage& other) {
    if (one.size() != other.size()) return false;
    for (int y = 0; y < one.height(); ++y)
        for (int x = 0; x < one.width(); ++x)
            if (qRgb(qRed(one.pixel(x, y)), qGreen(one.pixel(x, y)), qBlue(one.pixel(x, y))) !=
                qRgb(qRed(other.pixel(x, y)), qGreen(other.pixel(x, y)), qBlue(other.pixel(x, y))))
                return false;
    return true;
}

// The object names of the controls Tab visits from the one that has the focus.
QStringList tab_stops(int count) {
    QStringList names;
    for (int i = 0; i < count; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        names << QApplication::focusWidget()->objectName();
    }
    return names;
}

// With SPRANDEL_SCREENSHOT_DIR set (and a real display) the pages are saved as pictures for
// the README; the test itself does not look at them.
void snapshot(QWidget* window, const char* name) {
    const QString folder = qEnvironmentVariable("SPRANDEL_SCREENSHOT_DIR");
    if (folder.isEmpty()) return;
    QTest::qWait(100);  // let the page paint
    window->grab().save(folder + '/' + QString::fromLatin1(name) + ".png");
}

}  // namespace

class wizard_window_test : public QObject {
    Q_OBJECT

private:
    wizard_environment environment() {
        wizard_environment settings;
        settings.settings_path = folder_.path() / "Sprandel.conf";
        settings.oracle_library_candidates = {OCIEMU_LIBRARY};
        settings.default_folder = folder_.path().string();
        settings.open_url = [this](const QUrl& address) { opened_ << address.toString(); };
        return settings;
    }
    std::string write_profile(const std::string& dest, const std::string& password, const std::string& tables) {
        const std::string path = folder_.file("job.spr");
        write_file(path, "[Generic settings]\ndest=" + dest + "\nsrc=WIZGUI\n\n[MS Excel settings]\nformat version=2\n\n"
                         "[Oracle settings]\nuser=SCOTT\npassword=" + password + "\n\n[Selected Tables]\n" + tables);
        return path;
    }

    // Long enough to be caught running.
    void make_big_table() {
        source_.exec("CREATE TABLE BIG (ID NUMBER(9), LABEL VARCHAR2(30))");
        source_.exec("INSERT INTO BIG WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 400000) "
                     "SELECT i, 'row ' || i FROM n");
    }

    temp_folder folder_;
    emulator_database source_{"WIZGUI",
                              {"INSERT INTO OCIEMU_USERS VALUES ('BLANKY', ' tiger ', 0)", "CREATE TABLE EMP (ID NUMBER(4), NAME VARCHAR2(20))",
                               "INSERT INTO EMP VALUES (1, 'Ada'), (2, 'Grace')",
                               "CREATE TABLE DEPT (ID NUMBER(4), TITLE VARCHAR2(20))",
                               "INSERT INTO DEPT VALUES (10, 'Research')", "CREATE TABLE SALES (ID NUMBER(4))"}};
    QStringList opened_;

private slots:
    // Also the keyboard on every page, the lock on the destination, and a profile saved here
    // with a blank-edged password that sprandel-cli then logs in with.
    void interactive_run_from_welcome_to_finish() {
        const std::string dest = folder_.file("out.xlsx");
        const std::string profile = folder_.file("saved.spr");
        write_file(dest, "an old workbook");
        modal_answerer answers;
        {
            sprandel_session session(environment());
            QVERIFY(!session.open(QString()).has_value());
            sprandel_wizard& wizard = session.wizard();
            wizard.show();
            QCOMPARE(wizard.currentId(), int(wizard_page_id::welcome));
            snapshot(&wizard, "wizard-1-welcome");
            wizard.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&wizard));
            QCOMPARE(mnemonic_problems(&wizard), QStringList());
            QTest::keyClick(&wizard, Qt::Key_F1);  // F1 is the Help button
            wizard.next();
            wizard.button(QWizard::HelpButton)->click();

            // the pages' rules are the page models' (page_models_test); here one box of each
            // kind shows that the pages ask them
            QWizardPage* connection = wizard.currentPage();
            QCOMPARE(mnemonic_problems(&wizard), QStringList());
            control<QLineEdit>(connection, "1014")->setText("WIZGUI");
            control<QLineEdit>(connection, "1012")->setText("BLANKY");
            auto* password = control<QLineEdit>(connection, "1013");
            password->setText("wrong");
            password->setFocus();
            answers.answer(QMessageBox::Ok);
            wizard.next();  // refused login: the page stays, and so does the keyboard
            QCOMPARE(wizard.currentId(), int(wizard_page_id::connection));
            QTRY_COMPARE(QApplication::focusWidget(), password);  // once the window is active again
            password->setText(" tiger ");
            snapshot(&wizard, "wizard-2-connection");
            wizard.next();
            QCOMPARE(wizard.currentId(), int(wizard_page_id::settings));

            QWizardPage* settings = wizard.currentPage();
            QCOMPARE(mnemonic_problems(&wizard), QStringList());
            QCOMPARE(control<QLineEdit>(settings, "1004")->text(), QString::fromStdString(folder_.file("WIZGUI.xls")));
            auto* format = control<QComboBox>(settings, "1302");
            format->setCurrentIndex(2);
            emit format->activated(2);
            QVERIFY(control<QLabel>(settings, "1320")->text().contains("MS Excel 2010 format"));
            control<QLineEdit>(settings, "1004")->setText(QString::fromStdString(dest));
            snapshot(&wizard, "wizard-3-settings");
            {
                const tk_destination_lock other_run(dest);  // refused here, before any question
                answers.answer(QMessageBox::Ok);
                wizard.next();
                QCOMPARE(wizard.currentId(), int(wizard_page_id::settings));
            }
            answers.answer(QMessageBox::Yes);
            wizard.next();
            QCOMPARE(wizard.currentId(), int(wizard_page_id::table_selection));
            // from here to its run the destination is this wizard's
            QVERIFY_THROWS_EXCEPTION(tk_exception, tk_destination_lock{dest});

            QWizardPage* tables = wizard.currentPage();
            QCOMPARE(mnemonic_problems(&wizard), QStringList());
            auto* available = control<QListWidget>(tables, "1317");
            QCOMPARE(available->count(), 3);
            available->setFocus();
            QTRY_VERIFY(available->hasFocus());  // the window is active again after the boxes
            QCOMPARE(tab_stops(6), QStringList({"1101", "1102", "1111", "1110", "1114", "1318"}));
            available->setCurrentRow(0);  // DEPT
            control<QPushButton>(tables, "1101")->click();
            available->setCurrentRow(0);  // EMP
            control<QPushButton>(tables, "1101")->click();
            answers.then([this, &answers](QWidget* dialog) {
                QVERIFY(QTest::qWaitForWindowActive(dialog));  // its F1 works in its own window
                answers.seen << mnemonic_problems(dialog);
                control<QLineEdit>(dialog, "1019")->setText("Names");
                auto* editor = control<QPlainTextEdit>(dialog, "1020");
                editor->setPlainText("  SELECT NAME FROM EMP ORDER BY ID");
                editor->setFocus();
                QTest::keyClick(editor, Qt::Key_X, Qt::AltModifier);  // no control has X: nothing typed
                QTest::keyClick(editor, Qt::Key_F1);
                QTest::keyClick(editor, Qt::Key_Tab);  // leaves the editor, types no tab
                answers.seen << editor->toPlainText() + " | focus left: " + (editor->hasFocus() ? "no" : "yes");
                snapshot(dialog, "wizard-4b-query-dialog");
                control<QPushButton>(dialog, "1")->click();
            });
            QTest::keyClick(available, Qt::Key_Q, Qt::AltModifier);  // Add Query
            auto* selected = control<QListWidget>(tables, "1318");
            QTRY_COMPARE(selected->count(), 3);  // a mnemonic clicks as the button is seen pressed
            QCOMPARE(selected->item(2)->text(), QString("Names"));
            snapshot(&wizard, "wizard-4-tables");
            wizard.next();

            QCOMPARE(wizard.currentId(), int(wizard_page_id::progress));
            QTRY_COMPARE_WITH_TIMEOUT(wizard.currentId(), int(wizard_page_id::finish), 60000);
            QWizardPage* finish = wizard.currentPage();
            QCOMPARE(mnemonic_problems(&wizard), QStringList());
            QVERIFY(control<QLabel>(finish, "1314")->text().contains("successfully"));
            QVERIFY(control<QPlainTextEdit>(finish, "1016")->isHidden());
            snapshot(&wizard, "wizard-6-finish");
            answers.then([this, &answers, &profile](QWidget* window) {
                auto* dialog = qobject_cast<QFileDialog*>(window);
                QStringList types;  // what the list of file types shows
                for (QComboBox* box : window->findChildren<QComboBox*>("fileTypeCombo"))
                    for (int i = 0; i < box->count(); ++i) types << box->itemText(i);
                answers.seen << types.join(", ");
                // typed as a user would, the name is what the dialog goes by
                auto* name = control<QLineEdit>(dialog, "fileNameEdit");
                name->setText(QString::fromStdString(profile));
                QTest::keyClick(name, Qt::Key_Return);
            });
            control<QPushButton>(finish, "1116")->click();  // Save Settings
            control<QCheckBox>(finish, "1225")->setChecked(true);
            QTest::keyClick(control<QCheckBox>(finish, "1225"), Qt::Key_Return);  // Finish is the default button
            QCOMPARE(wizard.result(), int(QDialog::Accepted));
            QCOMPARE(session.exit_status(), 0);
        }
        QCOMPARE(answers.seen,
                 QStringList({"Sprandel 4.1 Error | Invalid user name or password.",
                              "Sprandel 4.1 Error | Another run is writing " + QString::fromStdString(dest) +
                                  " (or its part workbooks) now; this run was not started. Try again when that "
                                  "run has finished.",
                              "Sprandel 4.1 Question | Destination file already exists. Overwrite?",
                              "  SELECT NAME FROM EMP ORDER BY ID | focus left: yes",
                              "Profile Files (.spr), All Files (*.*)"}));
        QVERIFY(answers.done());
        const auto help = [](const char* topic) {
            return QUrl::fromLocalFile(QCoreApplication::applicationDirPath() + "/help/" + topic + ".html").toString();
        };
        QCOMPARE(opened_.join(" "), QStringList({help("1012"), help("1010"), help("1025"),
                                                 QUrl::fromLocalFile(QString::fromStdString(dest)).toString()})
                                        .join(" "));
        const QString workbook("sheet\tDEPT\t2\t2\nR\ts:ID\ts:TITLE\nR\tn:10\ts:Research\n"
                               "sheet\tEMP\t3\t2\nR\ts:ID\ts:NAME\nR\tn:1\ts:Ada\nR\tn:2\ts:Grace\n"
                               "sheet\tNames\t3\t1\nR\ts:NAME\nR\ts:Ada\nR\ts:Grace\n");
        QCOMPARE(QString::fromStdString(dump_workbook_text(dest)), workbook);
        // the settings of the run are kept for the next start
        QVERIFY(read_file(folder_.path() / "Sprandel.conf").find("dest=sz:" + dest) != std::string::npos);

        // The console runs the saved job as it was saved, the password's blanks included.
        std::filesystem::remove(dest);
        cli_options console;
        console.environment = {{"HOME", folder_.path().string()}, {"XDG_CONFIG_HOME", folder_.file("cli-config")}};
        const cli_result run = run_cli({profile}, console);
        QCOMPARE(run.exit_code, 0);
        QCOMPARE(QString::fromStdString(dump_workbook_text(dest)), workbook);
    }

    // A job none of whose tables exist: 25 errors, no workbook, and the console's words.
    void quick_launch_of_missing_tables_writes_no_workbook_and_says_so() {
        const std::string dest = folder_.file("quick.xlsx");
        std::string missing;
        for (int i = 1; i <= 25; ++i) missing += "NOPE" + std::to_string(i) + "\n";
        const std::string profile = write_profile(dest, "tiger", missing);
        modal_answerer answers;
        for (int i = 1; i <= 25; ++i)
            answers.then([](QWidget* dialog) { control<QPushButton>(dialog, "2")->click(); });  // Continue
        {
            sprandel_session session(environment());
            session.session().settings().open_on_exit = true;
            QVERIFY(!session.open(QString::fromStdString(profile)).has_value());
            sprandel_wizard& wizard = session.wizard();
            wizard.show();
            QCOMPARE(wizard.currentId(), int(wizard_page_id::progress));
            QTRY_COMPARE_WITH_TIMEOUT(wizard.currentId(), int(wizard_page_id::finish), 60000);
            QWizardPage* finish = wizard.currentPage();
            QCOMPARE(control<QLabel>(finish, "1314")->text(),
                     QString("There were some errors while converting databases.\nClick 'Finish' to exit the wizard.\n\n"
                             "No workbook was written: no selected table or query could be converted.\n\n"
                             "25 errors during the run; the first 20 are listed below."));
            snapshot(&wizard, "wizard-6-finish-with-errors");
            QCOMPARE(control<QPlainTextEdit>(finish, "1016")->toPlainText().count(": The table does not exist"), 20);
            // a tall window: the side picture keeps its proportions, its last row goes on below
            const QImage picture(QStringLiteral(":/art/watermark.png"));
            wizard.resize(wizard.width(), 900);
            QTRY_VERIFY(finish->pixmap(QWizard::WatermarkPixmap).height() > picture.height());
            QVERIFY(same_colours(finish->pixmap(QWizard::WatermarkPixmap).toImage().copy(picture.rect()), picture));
            auto* open_on_exit = control<QCheckBox>(finish, "1225");
            QVERIFY(!open_on_exit->isChecked());
            QVERIFY(!open_on_exit->isEnabled());
            wizard.close();  // the close box finishes: no question
            QCOMPARE(wizard.result(), int(QDialog::Accepted));
            QCOMPARE(session.exit_status(), 2);  // as the console's
            // the box was unchecked for want of a workbook, not by the user
            QVERIFY(session.session().settings().open_on_exit);
        }
        QVERIFY(answers.done());
        QVERIFY(opened_.isEmpty());
        QVERIFY(!std::filesystem::exists(dest));
    }

    void quick_launch_ends_before_the_wizard_on_a_missing_profile_or_a_refused_login() {
        const std::string dest = folder_.file("never.xlsx");
        modal_answerer answers;
        answers.answer(QMessageBox::Ok);
        answers.answer(QMessageBox::Ok);
        {
            sprandel_session session(environment());
            QCOMPARE(session.open(QString::fromStdString(folder_.file("missing.spr"))), std::optional<int>(0));
        }
        {
            sprandel_session session(environment());
            QCOMPARE(session.open(QString::fromStdString(write_profile(dest, "wrong", "DEPT\n"))),
                     std::optional<int>(255));
        }
        // no wizard yet: the boxes have plain captions
        QCOMPARE(answers.seen,
                 QStringList({"Error | Profile does not exist. Please verify the correct path/name was given.",
                              "Error | Invalid user name or password."}));
        QVERIFY(!std::filesystem::exists(dest));
    }

    void cancel_during_the_run_stops_it_and_writes_no_workbook() {
        make_big_table();
        const std::string dest = folder_.file("big.xlsx");
        modal_answerer answers;
        answers.answer(QMessageBox::Yes);
        {
            sprandel_session session(environment());
            QVERIFY(!session.open(QString::fromStdString(write_profile(dest, "tiger", "BIG\n"))).has_value());
            sprandel_wizard& wizard = session.wizard();
            wizard.show();
            // the window keeps following the run: the timer fills the status line
            auto* status = control<QLabel>(wizard.currentPage(), "1323");
            QTRY_VERIFY_WITH_TIMEOUT(!status->text().isEmpty(), 30000);
            QCOMPARE(status->text(), QString("Processing table 'BIG'"));
            wizard.reject();  // Cancel while the run goes on
            QCOMPARE(wizard.result(), int(QDialog::Rejected));
            QVERIFY(session.last_run() != nullptr);
            QVERIFY(session.last_run()->was_stopped());
            QVERIFY(session.last_run()->progress().is_finished());
            QCOMPARE(session.exit_status(), 2);  // stopped, as the console says it
        }
        QCOMPARE(answers.seen, QStringList{"Sprandel 4.1 Question | Are you sure you want to exit the wizard?"});
        // an .xlsx package is written whole or not at all, and nothing temporary stays behind
        QVERIFY(!std::filesystem::exists(dest));
        for (const auto& entry : std::filesystem::directory_iterator(folder_.path()))
            QVERIFY2(entry.path().filename().string().rfind("big", 0) != 0, entry.path().c_str());
        source_.exec("DROP TABLE BIG");
    }

    // The run ends while Cancel's question is open: the question goes, the finish page stays,
    // and Escape there finishes like Finish.
    void a_cancel_question_open_when_the_run_ends_gives_way_to_the_finish_page() {
        make_big_table();
        const std::string dest = folder_.file("kept.xlsx");
        modal_answerer answers;
        answers.then([&answers](QWidget* box) { answers.seen << box->objectName(); });  // nobody answers
        {
            sprandel_session session(environment());
            QVERIFY(!session.open(QString::fromStdString(write_profile(dest, "tiger", "BIG\n"))).has_value());
            sprandel_wizard& wizard = session.wizard();
            wizard.show();
            auto* figures = control<QLabel>(wizard.currentPage(), "progress_figures");
            QTRY_VERIFY_WITH_TIMEOUT(figures->text().contains(" of about 400,000 rows, "), 30000);
            QVERIFY(!session.last_run()->progress().is_finished());
            wizard.reject();  // Cancel: returns once the run has ended and closed the question
            QCOMPARE(wizard.currentId(), int(wizard_page_id::finish));
            QVERIFY(wizard.isVisible());
            control<QCheckBox>(wizard.currentPage(), "1225")->setChecked(true);
            QTest::keyClick(&wizard, Qt::Key_Escape);
            QCOMPARE(wizard.result(), int(QDialog::Accepted));
            QCOMPARE(session.exit_status(), 0);
        }
        QCOMPARE(answers.seen, QStringList{"question_box"});
        QCOMPARE(opened_, QStringList{QUrl::fromLocalFile(QString::fromStdString(dest)).toString()});
        QVERIFY(std::filesystem::exists(dest));
        source_.exec("DROP TABLE BIG");
    }

    void cleanup() { opened_.clear(); }
};

QTEST_MAIN(wizard_window_test)
#include "wizard_window_test.moc"
