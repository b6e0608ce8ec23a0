// A job to and from its profile file.
#pragma once

#include <string>
#include <vector>

struct job;
class profile_file;

// The job's sections and keys: "[Generic settings]", "[MS Excel settings]", "[Oracle
// settings]", "[Selected Tables]", "[Available Queries]". Empty connection values are
// not written.
void store_job(const job& work, profile_file& profile);
// What loading a profile found besides the job: keys it does not know (misspellings, told
// as warnings) and the keys a run needs that it lacks ("\"user\" in [Oracle settings]").
struct profile_notes {
    std::vector<std::string> warnings;
    std::vector<std::string> missing;
};

// Writes the job to a profile file; false when it could not be written (logged).
bool save_job_file(const job& work, const std::string& path);
// Reads a profile file as a whole job: work becomes the profile's values and the defaults of
// a new job, never keeping a value of its own. False when the file could not be read whole,
// and then work is left as it was. Throws tk_exception for a missing file or text that is not
// UTF-8. notes, when given, receives the warnings and the missing keys.
bool load_job_file(const std::string& path, job& work, profile_notes* notes = nullptr);

// Throws tk_exception (level 1) when name cannot be the trace log: an existing path, the
// profile, the destination, a folder that does not exist. An empty name passes.
void check_log_file(const job& work, const std::string& name);
// Checks the log file name and, when it is not empty, makes it the job's and starts
// tracing into it.
void start_log_file(job& work, const std::string& name);
