// The wizard window: the six pages in order (only progress and finish in quick launch),
// Help and F1, and Cancel's question.
#pragma once

#include <QWizard>

#include "gui/wizard_page_base.h"

class progress_page;

class sprandel_wizard : public QWizard {
    Q_OBJECT
public:
    sprandel_wizard(wizard_context& context, bool quick_launch, QWidget* parent = nullptr);

    // Cancel, Escape and the close box: the question, then stop the run; on the finish page
    // they finish instead.
    void reject() override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void show_help();
    void stretch_watermark();

    wizard_context& context_;
    progress_page* progress_ = nullptr;
    bool closing_ = false;  // Cancel was confirmed; a second click while the run stops waits too
};
