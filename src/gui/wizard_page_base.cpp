// The pages' common header, pictures and help.
#include "gui/wizard_page_base.h"

#include <QLabel>
#include <QPixmap>

#include "gui/qt_user_interface.h"

sprandel_page::sprandel_page(wizard_page_id id, wizard_context& context, QWidget* parent)
    : QWizardPage(parent), context_(context), id_(id) {
    const wizard_page_header header = page_header(id);
    if (*header.title != '\0') {
        setTitle(tr(header.title));
        setSubTitle(tr(header.subtitle));
        setPixmap(QWizard::LogoPixmap, QPixmap(QStringLiteral(":/art/banner.png")));
    } else {
        setPixmap(QWizard::WatermarkPixmap, QPixmap(QStringLiteral(":/art/watermark.png")));
    }
}

void sprandel_page::show_help() {
    const int topic = page_header(id_).help_topic;
    if (topic == 0) return;
    context_.face.display_help(topic);
}

void sprandel_page::set_title_font(QLabel* label) {
    QFont font = label->font();
    font.setPointSize(13);
    label->setFont(font);
}
