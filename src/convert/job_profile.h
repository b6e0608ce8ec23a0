// A job to and from its profile file.
#pragma once

#include <string>

struct job;
class profile_file;

// The job's sections and keys: "[Generic settings]", "[MS Excel settings]", "[Oracle
// settings]", "[Selected Tables]", "[Available Queries]". Empty connection values are
// not written.
void store_job(const job& work, profile_file& profile);
// Applies a profile onto work: values the profile has replace the job's, the others stay,
// and its selection is added to the job's. A query without a name is refused (tk_exception)
// before anything changes. The log file name is taken as it stands: check_log_file checks it.
void apply_profile(const profile_file& profile, job& work);

// Writes the job to a profile file; false when it could not be written (logged).
bool save_job_file(const job& work, const std::string& path);
// Reads a profile file and applies it; false when the file could not be read whole, and
// then nothing is applied. Throws tk_exception for a missing file or text that is not UTF-8.
bool load_job_file(const std::string& path, job& work);

// Throws tk_exception (level 1) when name cannot be the trace log: an existing path, the
// profile, the destination, a folder that does not exist. An empty name passes.
void check_log_file(const job& work, const std::string& name);
// Checks the log file name and, when it is not empty, makes it the job's and starts
// tracing into it.
void start_log_file(job& work, const std::string& name);
