// The progress and finish pages.
#include "gui/result_pages.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <QWizard>
#include <chrono>
#include <thread>

#include "convert/error_handler.h"
#include "convert/conversion_run.h"
#include "convert/job_session.h"
#include "oracle/oracle_session.h"
#include "toolkit/files.h"
#include "toolkit/log.h"
#include "gui/qt_user_interface.h"
#include "wizard/finish_model.h"
#include "wizard/run_outcome.h"
#include "wizard/welcome_model.h"

progress_page::progress_page(wizard_context& context, QWidget* parent)
    : sprandel_page(wizard_page_id::progress, context, parent) {
    auto* intro = new QLabel(tr(progress_intro_text).replace('\n', ' '), this);
    intro->setWordWrap(true);
    status_ = new QLabel(this);
    status_->setObjectName("1323");
    status_->setTextFormat(Qt::PlainText);
    bar_ = new QProgressBar(this);
    bar_->setObjectName("1321");
    bar_->setRange(0, 100);
    figures_ = new QLabel(this);
    figures_->setObjectName("progress_figures");
    figures_->setTextFormat(Qt::PlainText);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addSpacing(16);
    layout->addWidget(status_);
    layout->addWidget(bar_);
    layout->addWidget(figures_);
    layout->addStretch();
    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, &progress_page::on_timer);
}

progress_page::~progress_page() { stop_run(); }

void progress_page::initializePage() {
    stop_run();  // a page shown again starts a new run
    context_.run = std::make_shared<conversion_run>(context_.session.work(), context_.session.oracle(),
                                                    context_.handler, &context_.face);
    context_.run->take_over_lock(std::move(context_.destination_lock));  // no moment without it
    thread_ = std::make_unique<conversion_thread>(*context_.run);
    bar_->setValue(0);
    status_->clear();
    figures_->clear();
    thread_->start();
    timer_->start(progress_tick_ms);
}

void progress_page::on_timer() {
    const progress_view view = model_.on_timer(context_.run->progress(), run_progress::clock::now());
    if (view.finished) {
        timer_->stop();
        thread_->join();
        context_.face.dismiss_question();  // a Cancel still asking: the run it would stop has ended
        wizard()->next();
        return;
    }
    bar_->setValue(view.bar);
    status_->setText(QString::fromStdString(view.status));
    figures_->setText(QString::fromStdString(view.figures));
}

void progress_page::stop_run() {
    timer_->stop();
    if (!thread_) return;
    if (!thread_->is_running()) {
        thread_->join();
        return;
    }
    context_.run->request_stop();
    // The run may be waiting on a box of its own, which needs this thread's events.
    while (thread_->is_running()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    thread_->join();
}

void progress_page::show_help() { context_.face.display_help(0); }

finish_page::finish_page(wizard_context& context, QWidget* parent)
    : sprandel_page(wizard_page_id::finish, context, parent) {
    setFinalPage(true);
    auto* title = new QLabel(tr(finish_title_text), this);
    title->setObjectName("1313");
    set_title_font(title);
    result_ = new QLabel(this);
    result_->setObjectName("1314");
    result_->setWordWrap(true);
    errors_ = new QPlainTextEdit(this);
    errors_->setObjectName("1016");
    errors_->setReadOnly(true);
    errors_->hide();
    auto* open_label = new QLabel(tr(open_on_exit_label_line1) + '\n' + tr(open_on_exit_label_line2), this);
    open_on_exit_ = new QCheckBox(tr("&Open on exit"), this);
    open_on_exit_->setObjectName("1225");
    auto* save = new QPushButton(tr("&Save Settings"), this);
    save->setObjectName("1116");
    auto* save_row = new QHBoxLayout;
    save_row->addWidget(save);
    save_row->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addSpacing(8);
    layout->addWidget(result_);
    layout->addWidget(errors_, 1);
    layout->addStretch();
    layout->addWidget(open_label);
    layout->addWidget(open_on_exit_);
    layout->addLayout(save_row);
    connect(save, &QPushButton::clicked, this, &finish_page::save_settings);
}

void finish_page::initializePage() {
    if (QAbstractButton* help = wizard()->button(QWizard::HelpButton)) help->setEnabled(false);
    // the run's result keeps its errors: the first ones listed, all of them counted
    static const run_error_list no_run;
    const run_error_list& run_errors = context_.run ? context_.run->errors() : no_run;
    const std::vector<std::string> errors = run_errors.listed();
    run_outcome outcome;
    if (context_.run) outcome = judge_run(*context_.run, context_.handler.had_internal_error(), false);
    result_->setText(QString::fromStdString(finish_result_text(run_errors.total(), outcome.shortfall)));
    TK_LOG(3, "%s", run_errors.total() == 0 && outcome.shortfall.empty() ? "Display success-message" : "Display errors");
    errors_->setVisible(!errors.empty());
    errors_->setPlainText(QString::fromStdString(finish_error_list_text(errors)));
    // Nothing to open when no workbook of this run is there.
    const bool can_open = !context_.run || outcome.workbook_written;
    open_on_exit_->setEnabled(can_open);
    open_on_exit_->setChecked(can_open && context_.session.settings().open_on_exit);
    // Enter finishes, wherever the focus was left on the progress page
    if (QAbstractButton* finish = wizard()->button(QWizard::FinishButton)) finish->setFocus();
}

bool finish_page::validatePage() {
    // an unwritten workbook's unchecked box is no choice of the user's
    if (open_on_exit_->isEnabled()) context_.session.settings().open_on_exit = open_on_exit_->isChecked();
    if (open_on_exit_->isChecked()) {
        // absolute: the opener does not start in this program's folder
        const QUrl workbook = QUrl::fromLocalFile(
            QFileInfo(QString::fromStdString(context_.session.work().destination)).absoluteFilePath());
        if (context_.face.open_url) context_.face.open_url(workbook);
        else QDesktopServices::openUrl(workbook);  // no program for the type: nothing happens
    }
    return true;
}

void finish_page::save_settings() {
    const file_filter filter = profile_filter();
    const QString filters = tr("%1 (%2);;All Files (*.*) (*)")
                                .arg(QString::fromStdString(filter.description), QString::fromStdString(filter.pattern));
    const QString chosen = QFileDialog::getSaveFileName(this, tr(profile_dialog_title), QString(), filters, nullptr,
                                                        QFileDialog::DontConfirmOverwrite | QFileDialog::HideNameFilterDetails);
    window()->activateWindow();  // the keyboard back to the wizard, as after every dialog
    if (chosen.isEmpty()) return;
    const std::string path = with_default_extension(chosen.toStdString(), profile_extension);
    try {
        if (!context_.session.save_profile(path))
            context_.face.error("The profile " + path + " could not be written.");
    } catch (const tk_exception& error) {
        context_.handler.handle(error, true);
    }
}
