// The progress page, which runs the conversion, and the finish page.
#pragma once

#include "gui/wizard_page_base.h"
#include "wizard/progress_model.h"

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QTimer;

class progress_page : public sprandel_page {
    Q_OBJECT
public:
    progress_page(wizard_context& context, QWidget* parent = nullptr);
    ~progress_page() override;

    void initializePage() override;  // starts the run
    bool isComplete() const override { return false; }  // the run moves on by itself
    void show_help() override;

    bool is_running() const { return thread_ && thread_->is_running(); }
    // Cancel's Yes: asks the run to stop and waits for it while the window keeps painting.
    void stop_run();

private:
    void on_timer();

    progress_model model_;
    std::unique_ptr<conversion_thread> thread_;  // made with each run
    QTimer* timer_ = nullptr;
    QLabel* status_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QLabel* figures_ = nullptr;
};

class finish_page : public sprandel_page {
    Q_OBJECT
public:
    finish_page(wizard_context& context, QWidget* parent = nullptr);

    void initializePage() override;
    bool validatePage() override;  // Finish: remember Open on exit and open the workbook

private:
    void save_settings();

    QLabel* result_ = nullptr;
    QPlainTextEdit* errors_ = nullptr;
    QCheckBox* open_on_exit_ = nullptr;
};
