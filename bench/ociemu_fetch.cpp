// Benchmark: a full table read through the emulated client, 100,000 rows x 10 columns as text,
// for several prefetch sizes, with and without a simulated 200 microsecond round trip.
#include "oracle/oci_declarations.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr long long bench_rows = 100'000;
constexpr ub4 column_count = 10;
constexpr int text_chars = 64;

struct client {
    OCIEnvNlsCreate_fn env_create;
    OCIHandleAlloc_fn handle_alloc;
    OCIHandleFree_fn handle_free;
    OCIAttrSet_fn attr_set;
    OCIServerAttach_fn attach;
    OCIServerDetach_fn detach;
    OCISessionBegin_fn begin;
    OCISessionEnd_fn end;
    OCIStmtPrepare_fn prepare;
    OCIStmtExecute_fn execute;
    OCIStmtFetch2_fn fetch;
    OCIDefineByPos_fn define;
    unsigned long long (*round_trips)();
};

template <typename T>
void resolve(void* library, T& target, const char* name) {
    target = reinterpret_cast<T>(dlsym(library, name));
    if (!target) throw std::runtime_error(std::string("missing ") + name);
}

const client& oci() {
    static const client loaded = [] {
        void* library = dlopen(OCIEMU_LIB_DIR "/libclntsh.so", RTLD_NOW);
        if (!library) throw std::runtime_error(dlerror());
        client c{};
        resolve(library, c.env_create, "OCIEnvNlsCreate");
        resolve(library, c.handle_alloc, "OCIHandleAlloc");
        resolve(library, c.handle_free, "OCIHandleFree");
        resolve(library, c.attr_set, "OCIAttrSet");
        resolve(library, c.attach, "OCIServerAttach");
        resolve(library, c.detach, "OCIServerDetach");
        resolve(library, c.begin, "OCISessionBegin");
        resolve(library, c.end, "OCISessionEnd");
        resolve(library, c.prepare, "OCIStmtPrepare");
        resolve(library, c.execute, "OCIStmtExecute");
        resolve(library, c.fetch, "OCIStmtFetch2");
        resolve(library, c.define, "OCIDefineByPos");
        resolve(library, c.round_trips, "ociemu_round_trips");
        return c;
    }();
    return loaded;
}

std::u16string u16(const char* ascii) { return std::u16string(ascii, ascii + std::char_traits<char>::length(ascii)); }

// The benchmark database lives in a temporary data folder for the whole run.
const std::filesystem::path& bench_folder() {
    static const std::filesystem::path folder = [] {
        const auto path = std::filesystem::temp_directory_path() / "ociemu_fetch_bench";
        std::filesystem::create_directories(path);
        const std::string command = std::string(OCIEMU_BENCH_DB_TOOL) + " " + (path / "BENCH.db").string() + " " +
                                    std::to_string(bench_rows);
        if (!std::filesystem::exists(path / "BENCH.db") && std::system(command.c_str()) != 0)
            throw std::runtime_error("cannot build the benchmark database");
        setenv("OCIEMU_DATA", path.c_str(), 1);
        return path;
    }();
    return folder;
}

void check(sword status, const char* action) {
    if (status != OCI_SUCCESS) throw std::runtime_error(std::string(action) + " failed");
}

void read_table(benchmark::State& state) {
    bench_folder();
    const auto prefetch = static_cast<ub4>(state.range(0));
    if (state.range(1) > 0) setenv("OCIEMU_RTT_US", std::to_string(state.range(1)).c_str(), 1);
    else unsetenv("OCIEMU_RTT_US");
    const client& c = oci();
    OCIEnv* env = nullptr;
    void *err = nullptr, *server = nullptr, *svc = nullptr, *session = nullptr;
    check(c.env_create(&env, 0, nullptr, nullptr, nullptr, nullptr, 0, nullptr, OCI_UTF16ID, OCI_UTF16ID), "environment");
    c.handle_alloc(env, &err, OCI_HTYPE_ERROR, 0, nullptr);
    c.handle_alloc(env, &server, OCI_HTYPE_SERVER, 0, nullptr);
    c.handle_alloc(env, &svc, OCI_HTYPE_SVCCTX, 0, nullptr);
    c.handle_alloc(env, &session, OCI_HTYPE_SESSION, 0, nullptr);
    auto* error = static_cast<OCIError*>(err);
    const std::u16string target = u16("BENCH"), user = u16("BENCH"), password = u16("bench");
    check(c.attach(static_cast<OCIServer*>(server), error, reinterpret_cast<const OraText*>(target.data()),
                   static_cast<sb4>(target.size() * 2), OCI_DEFAULT), "attach");
    c.attr_set(svc, OCI_HTYPE_SVCCTX, server, 0, OCI_ATTR_SERVER, error);
    c.attr_set(session, OCI_HTYPE_SESSION, const_cast<char16_t*>(user.data()), static_cast<ub4>(user.size() * 2), OCI_ATTR_USERNAME, error);
    c.attr_set(session, OCI_HTYPE_SESSION, const_cast<char16_t*>(password.data()), static_cast<ub4>(password.size() * 2),
               OCI_ATTR_PASSWORD, error);
    check(c.begin(static_cast<OCISvcCtx*>(svc), error, static_cast<OCISession*>(session), OCI_CRED_RDBMS, OCI_DEFAULT), "logon");
    std::vector<char16_t> buffers(column_count * (text_chars + 1));
    std::vector<sb2> indicators(column_count);
    unsigned long long trips = 0;
    for (auto _ : state) {
        void* stmt = nullptr;
        c.handle_alloc(env, &stmt, OCI_HTYPE_STMT, 0, nullptr);
        const std::u16string sql = u16("SELECT * FROM BENCH_ROWS");
        check(c.prepare(static_cast<OCIStmt*>(stmt), error, reinterpret_cast<const OraText*>(sql.data()),
                        static_cast<ub4>(sql.size() * 2), OCI_NTV_SYNTAX, OCI_DEFAULT), "prepare");
        c.attr_set(stmt, OCI_HTYPE_STMT, const_cast<ub4*>(&prefetch), sizeof prefetch, OCI_ATTR_PREFETCH_ROWS, error);
        for (ub4 i = 0; i < column_count; ++i) {
            OCIDefine* define = nullptr;
            check(c.define(static_cast<OCIStmt*>(stmt), &define, error, i + 1, &buffers[i * (text_chars + 1)],
                           (text_chars + 1) * 2, SQLT_STR, &indicators[i], nullptr, nullptr, OCI_DEFAULT), "define");
        }
        const auto before = c.round_trips();
        check(c.execute(static_cast<OCISvcCtx*>(svc), static_cast<OCIStmt*>(stmt), error, 0, 0, nullptr, nullptr, OCI_DEFAULT),
              "execute");
        long long rows = 0;
        while (c.fetch(static_cast<OCIStmt*>(stmt), error, 1, OCI_FETCH_NEXT, 0, OCI_DEFAULT) == OCI_SUCCESS) ++rows;
        trips = c.round_trips() - before;
        if (rows != bench_rows) state.SkipWithError("short read");
        benchmark::DoNotOptimize(buffers.data());
        c.handle_free(stmt, OCI_HTYPE_STMT);
    }
    state.counters["round_trips"] = static_cast<double>(trips);
    state.SetItemsProcessed(state.iterations() * bench_rows);
    c.end(static_cast<OCISvcCtx*>(svc), error, static_cast<OCISession*>(session), OCI_DEFAULT);
    c.detach(static_cast<OCIServer*>(server), error, OCI_DEFAULT);
    c.handle_free(env, OCI_HTYPE_ENV);
    unsetenv("OCIEMU_RTT_US");
}

BENCHMARK(read_table)->Args({1, 0})->Args({100, 0})->Args({1000, 0})->Args({1000, 200})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
