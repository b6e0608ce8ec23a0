// Starting the wizard, interactive or as quick launch.
#include "gui/sprandel_session.h"

#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>

#include "convert/error_tables.h"
#include "convert/conversion_run.h"
#include "convert/error_handler.h"
#include "convert/job_session.h"
#include "toolkit/files.h"
#include "toolkit/settings_store.h"
#include "gui/intro_pages.h"
#include "gui/sprandel_wizard.h"
#include "wizard/quick_launch.h"
#include "wizard/run_outcome.h"

namespace {

// Alt with a letter or digit is a mnemonic; one that no control of the window claims must
// not fall through and be typed into the field that has the focus (Alt+H made "DEPTh").
class stray_mnemonic_filter : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
        const auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers held = key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
        const bool letter_or_digit =
            (key->key() >= Qt::Key_A && key->key() <= Qt::Key_Z) || (key->key() >= Qt::Key_0 && key->key() <= Qt::Key_9);
        return held == Qt::AltModifier && letter_or_digit;
    }
};

}  // namespace

// The pictures are compiled into the static library; a program linking it must register them.
// (Outside any namespace: the macro declares the registration function.)
static void load_pictures() { Q_INIT_RESOURCE(resources); }

sprandel_session::sprandel_session(const wizard_environment& environment) : handler_(create_error_handler(&face_)) {
    load_pictures();
    keyboard_filter_ = std::make_unique<stray_mnemonic_filter>();
    QCoreApplication::instance()->installEventFilter(keyboard_filter_.get());
    face_.open_url = environment.open_url;
    session_ = std::make_unique<job_session>(
        environment.settings_path.empty() ? tk_settings_store::default_path() : environment.settings_path,
        environment.oracle_library_candidates);
    const std::string folder =
        environment.default_folder.empty() ? QDir::homePath().toStdString() : environment.default_folder;
    context_ = std::make_unique<wizard_context>(wizard_context{*session_, face_, *handler_, folder, nullptr, nullptr});
}

sprandel_session::~sprandel_session() {
    wizard_.reset();  // stops a run still going before the session goes
    context_.reset();
    face_.set_owner(nullptr);
}

std::optional<int> sprandel_session::open(const QString& profile) {
    if (!profile.isEmpty()) {
        quick_launch_steps steps;
        steps.connect = [this] {
            // Held through the connection, so a second run of this destination is refused
            // before it connects; the message is the run's own.
            context_->destination_lock =
                std::make_unique<tk_destination_lock>(tk_link_target(session_->work().destination));
            return connect_with_animation(*context_, nullptr);
        };
        switch (prepare_quick_launch(*session_, profile.toStdString(), face_, *handler_, steps)) {
            case quick_launch_status::ready: break;
            case quick_launch_status::connection_failed: return 255;  // -1 as the exit status
            case quick_launch_status::refused:
            case quick_launch_status::interrupted: return 0;
        }
    }
    wizard_ = std::make_unique<sprandel_wizard>(*context_, !profile.isEmpty());
    return std::nullopt;
}

int sprandel_session::exec() {
    wizard_->exec();
    return exit_status();
}

int sprandel_session::exit_status() const {
    const conversion_run* run = last_run();
    if (run == nullptr || !run->progress().is_finished()) return 1;
    return judge_run(*run, handler_->had_internal_error(), false).exit_status;
}

int run_sprandel(const QString& profile, const wizard_environment& environment) {
    try {
        sprandel_session session(environment);
        if (const std::optional<int> ended = session.open(profile)) return *ended;
        return session.exec();
    } catch (const std::exception& error) {
        // the session and its handler are gone: a plain box is all that is left
        qt_user_interface().error(error.what());
    }
    return 0;
}
