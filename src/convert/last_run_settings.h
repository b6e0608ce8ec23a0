// The settings of the last run, kept in the per-user settings file so that the wizard
// starts where the user left it.
#pragma once

#include <filesystem>

struct job;

struct last_run_settings {
    bool open_on_exit = true;
};

// Fills work and settings from the file; a value missing from it takes its default (port
// "1521", Excel 2000, wrap text on, open on exit on). True only when every value was there.
bool load_last_run(const std::filesystem::path& path, job& work, last_run_settings& settings);
// Writes the eleven values; false (logged) when the file cannot be written.
bool store_last_run(const std::filesystem::path& path, const job& work, const last_run_settings& settings);
