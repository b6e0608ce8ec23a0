// The conversion settings page.
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "convert/job_session.h"
#include "gui/qt_user_interface.h"
#include "toolkit/exception.h"
#include "toolkit/files.h"
#include "gui/selection_pages.h"
#include "wizard/wizard_pages.h"

settings_page::settings_page(wizard_context& context, QWidget* parent)
    : sprandel_page(wizard_page_id::settings, context, parent), model_(context.session, context.default_folder) {
    auto* intro = new QLabel(tr(settings_intro_text), this);
    dest_ = new QLineEdit(this);
    dest_->setObjectName("1004");
    dest_->setMaxLength(259);
    auto* dest_label = new QLabel(tr("MS &Excel destination file name:"), this);
    dest_label->setBuddy(dest_);
    auto* browse_button = new QPushButton(tr("B&rowse..."), this);  // B is Back's
    browse_button->setObjectName("1103");
    format_ = new QComboBox(this);
    format_->setObjectName("1302");
    for (const std::string& name : model_.format_names()) format_->addItem(QString::fromStdString(name));
    auto* format_label = new QLabel(tr("&Format version:"), this);
    format_label->setBuddy(format_);
    auto* description_box = new QGroupBox(tr(" Format Description: "), this);
    description_ = new QLabel(description_box);
    description_->setObjectName("1320");
    description_->setWordWrap(true);
    description_->setMinimumHeight(description_->fontMetrics().lineSpacing() * 2);
    (new QVBoxLayout(description_box))->addWidget(description_);
    dates_ = new QCheckBox(tr("&Convert dates into strings"), this);
    dates_->setObjectName("1202");
    wrap_ = new QCheckBox(tr("&Wrap text into multiple lines in a cell"), this);
    wrap_->setObjectName("1203");
    split_ = new QCheckBox(tr("&Split data into multiple spreadsheets if necessary"), this);
    split_->setObjectName("1204");

    auto* grid = new QGridLayout;
    grid->addWidget(dest_label, 0, 0, 1, 2);
    grid->addWidget(dest_, 1, 0);
    grid->addWidget(browse_button, 1, 1);
    auto* format_row = new QHBoxLayout;
    format_row->addWidget(format_label);
    format_row->addWidget(format_);
    format_row->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addLayout(grid);
    layout->addLayout(format_row);
    layout->addWidget(description_box);
    layout->addWidget(dates_);
    layout->addWidget(wrap_);
    layout->addWidget(split_);
    layout->addStretch();

    connect(browse_button, &QPushButton::clicked, this, &settings_page::browse);
    connect(format_, &QComboBox::activated, this, &settings_page::format_changed);
}

void settings_page::initializePage() {
    context_.destination_lock.reset();  // back on this page: the destination may change
    const settings_fields shown = model_.page_init();
    dest_->setText(QString::fromStdString(shown.dest));
    dates_->setChecked(shown.dates_to_strings);
    wrap_->setChecked(shown.wrap_text);
    split_->setChecked(shown.split_data);
    format_->setCurrentIndex(static_cast<int>(format_number(shown.format)));
    description_->setText(QString::fromStdString(model_.format_description(shown.format)));
}

void settings_page::format_changed(int index) {
    // The format changes at once; the destination keeps the extension already typed.
    workbook_format format = workbook_format::excel_2000;
    if (!format_from_number(static_cast<std::uint32_t>(index), format)) return;  // the box holds the three formats only
    model_.select_format(format);
    description_->setText(QString::fromStdString(model_.format_description(format)));
}

settings_fields settings_page::fields() const {
    workbook_format format = workbook_format::excel_2000;
    format_from_number(static_cast<std::uint32_t>(format_->currentIndex()), format);
    return {dest_->text().toStdString(), format, dates_->isChecked(), wrap_->isChecked(), split_->isChecked()};
}

void settings_page::browse() {
    const QString filters = tr("%1 (%2);;All Files (*.*) (*)")
                                .arg(tr(workbook_filter_description), QString(workbook_filter_pattern).replace(';', ' '));
    const QString chosen = QFileDialog::getSaveFileName(this, tr(destination_dialog_title), dest_->text(), filters,
                                                        nullptr, QFileDialog::DontConfirmOverwrite | QFileDialog::HideNameFilterDetails);
    window()->activateWindow();  // the keyboard back to the wizard, as after every dialog
    if (chosen.isEmpty()) return;  // cancelled: the edit keeps its text
    dest_->setText(QString::fromStdString(with_default_extension(chosen.toStdString(), model_.default_extension())));
}

bool settings_page::validatePage() {
    context_.destination_lock.reset();  // the page's check must not meet this wizard's own lock
    if (!model_.on_next(fields(), context_.face)) return false;
    try {
        context_.destination_lock = std::make_unique<tk_destination_lock>(tk_link_target(context_.session.work().destination));
    } catch (const tk_exception& error) {  // another run came in since the check
        context_.face.error(error.message());
        return false;
    }
    return true;
}

void settings_page::cleanupPage() { model_.store(fields()); }
