// The wizard window.
#include "gui/sprandel_wizard.h"

#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QShortcut>
#include <QTimer>

#include "gui/intro_pages.h"
#include "gui/qt_user_interface.h"
#include "gui/result_pages.h"
#include "gui/selection_pages.h"

sprandel_wizard::sprandel_wizard(wizard_context& context, bool quick_launch, QWidget* parent)
    : QWizard(parent), context_(context) {
    setObjectName("wizard");
    setWindowTitle(QString::fromStdString(wizard_title()));
    setWindowIcon(QIcon(QStringLiteral(":/art/icon.png")));
    setWizardStyle(QWizard::ModernStyle);
    setOptions(QWizard::HaveHelpButton | QWizard::NoCancelButtonOnLastPage | QWizard::NoBackButtonOnStartPage);
    // Room for the pages' texts at the default font without cramped wrapping.
    setMinimumSize(660, 470);
    // The page before the run commits to it, but its button still reads Next.
    setButtonText(QWizard::CommitButton, buttonText(QWizard::NextButton));
    if (!quick_launch) {
        setPage(static_cast<int>(wizard_page_id::welcome), new welcome_page(context));
        setPage(static_cast<int>(wizard_page_id::connection), new connection_page(context));
        setPage(static_cast<int>(wizard_page_id::settings), new settings_page(context));
        auto* tables = new table_selection_page(context);
        tables->setCommitPage(true);  // no way back into a run that has started
        setPage(static_cast<int>(wizard_page_id::table_selection), tables);
    }
    progress_ = new progress_page(context);
    progress_->setCommitPage(true);
    setPage(static_cast<int>(wizard_page_id::progress), progress_);
    setPage(static_cast<int>(wizard_page_id::finish), new finish_page(context));
    setStartId(static_cast<int>(quick_launch ? wizard_page_id::progress : wizard_page_id::welcome));

    connect(this, &QWizard::helpRequested, this, &sprandel_wizard::show_help);
    connect(this, &QWizard::currentIdChanged, this, [this](int id) {
        // Cancel's letter must not be one the page already uses ("&Convert dates")
        setButtonText(QWizard::CancelButton, id == static_cast<int>(wizard_page_id::settings) ? tr("C&ancel") : tr("&Cancel"));
        // after the new page's layout has settled
        QTimer::singleShot(0, this, &sprandel_wizard::stretch_watermark);
    });
    auto* f1 = new QShortcut(QKeySequence::HelpContents, this);
    connect(f1, &QShortcut::activated, this, &sprandel_wizard::show_help);
    context_.face.set_owner(this);
}

void sprandel_wizard::show_help() {
    auto* current = static_cast<sprandel_page*>(currentPage());
    if (current != nullptr) current->show_help();
}

void sprandel_wizard::resizeEvent(QResizeEvent* event) {
    QWizard::resizeEvent(event);
    QTimer::singleShot(0, this, &sprandel_wizard::stretch_watermark);
}

void sprandel_wizard::stretch_watermark() {
    // The watermark fills the whole height beside an exterior page, however tall the window:
    // below the picture its last row goes on, so the picture keeps its proportions.
    QWizardPage* current = currentPage();
    if (current == nullptr || !current->subTitle().isEmpty()) return;
    const QPixmap original(QStringLiteral(":/art/watermark.png"));
    for (QLabel* label : findChildren<QLabel*>()) {
        const QPixmap shown = label->pixmap();
        if (!label->isVisible() || shown.isNull() || shown.width() != original.width()) continue;
        if (label->height() <= original.height() || shown.height() == label->height()) return;
        QPixmap tall(original.width(), label->height());
        QPainter painter(&tall);
        painter.drawPixmap(0, 0, original);
        painter.drawPixmap(QRect(0, original.height(), original.width(), label->height() - original.height()), original,
                           QRect(0, original.height() - 1, original.width(), 1));
        painter.end();
        current->setPixmap(QWizard::WatermarkPixmap, tall);
        return;
    }
}

void sprandel_wizard::reject() {
    // The finish page ends only through Finish: Escape and the close box finish as well,
    // with "Open on exit" as it is.
    if (currentId() == static_cast<int>(wizard_page_id::finish)) {
        accept();
        return;
    }
    if (closing_ || !context_.face.question(cancel_question)) return;
    // The run may have ended while the question was open; its finish page is shown then.
    if (currentId() == static_cast<int>(wizard_page_id::finish)) return;
    closing_ = true;
    // The run stops at its next row; an .xls keeps its finished items, an .xlsx is not written.
    if (progress_->is_running()) progress_->stop_run();
    QWizard::reject();
}
