// The run's destination workbooks: main workbook and split parts.
#include "convert/workbook_set.h"

#include <cerrno>
#include <cstring>

#include "excel/workbook_origin.h"
#include "toolkit/exception.h"
#include "toolkit/files.h"
#include "toolkit/log.h"
#include "toolkit/system.h"

namespace {

std::unique_ptr<tk_destination_lock> lock_of(const std::string& target, std::unique_ptr<tk_destination_lock> held) {
    if (held && held->covers(target)) return held;
    held.reset();  // a lock of another destination: this process would block itself
    return std::make_unique<tk_destination_lock>(target);
}

}  // namespace

workbook_set::workbook_set(std::string destination, workbook_format format, workbook_options options,
                           writer_factory make, std::unique_ptr<tk_destination_lock> held_lock)
    : destination_(std::move(destination)),
      target_(tk_link_target(destination_)),
      lock_(lock_of(target_, std::move(held_lock))),
      format_(format),
      options_(std::move(options)),
      make_(std::move(make)) {
    tk_remove_abandoned_temporaries(target_);
}

workbook_set::~workbook_set() {
    for (auto& staged : books_) {
        staged.writer.reset();  // a writer never closed leaves its output as it was
        if (!staged.temporary.empty() && !tk_remove_file_name(staged.temporary) && errno != ENOENT)
            TK_LOG(3, "Cannot remove the temporary file %s: %s", staged.temporary.c_str(),
                   tk_system_error_text(errno).c_str());
    }
}

std::string workbook_set::part_path(const std::string& destination, int part) {
    if (part == 0) return destination;
    const tk_file_name name(destination);
    return name.folder() + name.fname + "(" + std::to_string(part) + ")" + name.ext;
}

std::string workbook_set::origin_mark(const std::string& destination, int part) {
    return "Sprandel: " + tk_path_text(tk_system_path(destination).filename()) + " part " + std::to_string(part);
}

std::string workbook_set::foreign_part_text(const std::string& path, const std::string& destination) {
    return "The file " + path + " has the name of a part workbook of " + destination +
           " but was not written as one; it is not overwritten. Move or rename it, or turn split data off.";
}

workbook_writer& workbook_set::workbook(int part) {
    TK_ASSERT(part >= 0);
    if (books_.size() <= static_cast<std::size_t>(part)) books_.resize(part + 1);
    staged_workbook& staged = books_[part];
    if (!staged.writer) {
        TK_ASSERT(!staged.is_complete);
        // The workbook keeps its own name for every message; only its bytes go to the temporary file.
        const std::string name = part_path(destination_, part);
        TK_LOG(2, "%s(%s)", __func__, name.c_str());
        // check_job_destination finds such a file before the run; this guards every other way in
        if (part > 0 && tk_kind_of(name, false) != tk_file_kind::missing &&
            read_workbook_origin(name) != origin_mark(destination_, part))
            throw tk_exception(foreign_part_text(name, destination_), tk_level_serious);
        if (staged.temporary.empty()) {
            // A symbolic link stays: the file it leads to is replaced, in that file's folder.
            staged.target = tk_link_target(name);
            // named after the destination, whose lock covers every file of the run
            const std::filesystem::path beside =
                tk_system_path(tk_folder_of(staged.target)) / tk_system_path(target_).filename();
            staged.temporary = tk_create_temporary_beside(tk_path_text(beside));
        }
        workbook_options options = options_;
        options.origin = origin_mark(destination_, part);
        staged.writer = make_(format_, tk_system_path(staged.temporary), name, options);
    }
    return *staged.writer;
}

void workbook_set::finish_sheet(int part) {
    workbook_writer& writer = workbook(part);
    writer.finish_sheet();
    if (part > 0) writer.release_memory();
}

void workbook_set::complete_all() {
    std::unique_ptr<tk_exception> first_error;
    for (staged_workbook& staged : books_) {
        if (!staged.writer) continue;
        if (staged.writer->sheet_count() == 0) {
            staged.writer->abandon();
            staged.writer.reset();
            continue;
        }
        try {
            staged.writer->close();
            staged.is_complete = true;
        } catch (const tk_exception& error) {
            if (!first_error) first_error = std::make_unique<tk_exception>(error);
        }
        staged.writer.reset();
    }
    if (first_error) throw *first_error;
}

namespace {

// One name changed by publish and how to change it back: the earlier file kept under a
// temporary name ("" when there was none), and the temporary the new file came from.
struct name_change {
    std::string path;
    std::string earlier;
    std::string temporary;
};

// Puts every earlier file back, the last change first. A file this run made under a name
// that had none goes again.
void undo_changes(const std::vector<name_change>& changes) noexcept {
    for (auto change = changes.rbegin(); change != changes.rend(); ++change) {
        const bool was_renamed =
            change->temporary.empty() || tk_kind_of(change->temporary, false) == tk_file_kind::missing;
        try {
            if (!was_renamed) {
                if (!change->earlier.empty()) tk_remove_file_name(change->earlier);
            } else if (!change->earlier.empty()) {
                tk_replace_file(change->earlier, change->path);
            } else if (!tk_remove_file_name(change->path) && errno != ENOENT) {
                TK_LOG(3, "Cannot remove %s: %s", change->path.c_str(), tk_system_error_text(errno).c_str());
            }
        } catch (const std::exception& error) {
            TK_LOG(3, "Cannot put the earlier %s back: %s", change->path.c_str(), error.what());
        }
    }
}

// A temporary name in path's folder (a hard link cannot leave its file system) that the
// lock of the run's destination covers.
std::string beside_in_folder_of(const std::string& path, const std::string& destination) {
    return tk_path_text(tk_system_path(tk_folder_of(path)) / tk_system_path(destination).filename());
}

// Renames temporary over target, keeping the earlier file for undo.
void replace(const std::string& temporary, const std::string& target, const std::string& destination,
             std::vector<name_change>& changes) {
    changes.push_back({target, {}, temporary});
    changes.back().earlier = tk_keep_earlier(target, beside_in_folder_of(target, destination));
    tk_replace_file(temporary, target);
}

}  // namespace

std::vector<std::string> workbook_set::publish() {
    std::vector<std::string> written;
    // Every file is on the disk before any name changes, so a power cut in between leaves
    // either the old or the new workbook under each name.
    for (std::size_t part = 0; part < books_.size(); ++part) {
        if (books_[part].is_complete)
            tk_sync_file(books_[part].temporary, part_path(destination_, static_cast<int>(part)));
    }
    if (books_.empty() || !books_[0].is_complete) return written;  // nothing of the run is published
    // Parts are written in order, so the last complete one ends the new set; a part a stop
    // left empty is no part of it, and an earlier run's file of that name must go.
    std::size_t part_count = books_.size();
    while (part_count > 0 && !books_[part_count - 1].is_complete) --part_count;
    const std::vector<std::string> earlier_parts = earlier_parts_from(static_cast<int>(part_count));

    // The earlier set stays whole until the main workbook takes its new place: every file it
    // loses is kept aside, and a failure on the way puts them all back.
    std::vector<name_change> changes;
    try {
        for (std::size_t part = books_.size(); part-- > 1;) {
            if (books_[part].is_complete) replace(books_[part].temporary, books_[part].target, target_, changes);
        }
        for (const std::string& path : earlier_parts) {
            std::string aside = tk_move_aside(path, beside_in_folder_of(path, target_));
            changes.push_back({path, std::move(aside), {}});
        }
        replace(books_[0].temporary, books_[0].target, target_, changes);
    } catch (...) {
        undo_changes(changes);
        throw;
    }
    for (const name_change& change : changes) {
        if (!change.earlier.empty() && !tk_remove_file_name(change.earlier))
            TK_LOG(3, "Cannot remove %s: %s", change.earlier.c_str(), tk_system_error_text(errno).c_str());
    }
    if (!earlier_parts.empty()) tk_flush_folder(tk_folder_of(destination_));
    for (std::size_t part = 0; part < part_count; ++part) {
        books_[part].temporary.clear();
        written.push_back(part_path(destination_, static_cast<int>(part)));
    }
    return written;  // the destructor removes the temporary files of what was not published
}

void workbook_set::drop_sheet(const std::string& sheet_name) noexcept {
    for (auto& staged : books_)
        if (staged.writer) staged.writer->drop_sheet(sheet_name);
}

void workbook_set::abandon_all() noexcept {
    // The temporary files go with the destructor; no workbook is even written to its own.
    for (auto& staged : books_) {
        if (staged.writer) staged.writer->abandon();
        staged.writer.reset();
    }
}

std::vector<std::string> workbook_set::earlier_parts_from(int first_part) const {
    std::vector<std::string> found;
    // Parts are numbered without gaps, so the first missing one ends the earlier run's parts.
    for (int part = first_part;; ++part) {
        std::string path;
        try {
            path = part_path(destination_, part);
        } catch (const std::exception&) {
            break;
        }
        if (tk_kind_of(path, false) == tk_file_kind::missing) break;
        if (read_workbook_origin(path) == origin_mark(destination_, part))
            found.push_back(path);
        else
            TK_LOG(3, "Kept %s: not a part workbook written for this destination", path.c_str());
    }
    return found;
}
