// printf and format on a company's connection: the built-in is evaluated on
// a private in-memory handle under the calling connection's length limit,
// and its silent NULL for a text past that limit becomes SQLITE_TOOBIG, so
// that a user's statement asking for a huge text is refused like any other
// huge value instead of showing an empty cell.

#include "db/liteprintf.h"

#include <sqlite3.h>

#include <map>
#include <string>

namespace {

// One per registered name: a private handle (opened at the first call)
// where `name` is still the built-in, and its statements by argument count.
class BuiltinPrintf {
public:
    explicit BuiltinPrintf(const char* name) : name_(name) {}
    ~BuiltinPrintf() {
        for (auto& s : plain_) sqlite3_finalize(s.second);
        for (auto& s : marked_) sqlite3_finalize(s.second);
        sqlite3_close(handle_);
    }
    BuiltinPrintf(const BuiltinPrintf&) = delete;
    BuiltinPrintf& operator=(const BuiltinPrintf&) = delete;

    void call(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
        if (!open(sqlite3_context_db_handle(ctx))) {
            sqlite3_result_error_nomem(ctx);
            return;
        }
        sqlite3_stmt* st = statement(argc, false);
        if (!st) return fail(ctx);
        for (int i = 0; i < argc; ++i)
            if (sqlite3_bind_value(st, i + 1, argv[i]) != SQLITE_OK) return fail(ctx, st);
        if (sqlite3_step(st) != SQLITE_ROW) return fail(ctx, st);
        sqlite3_value* result = sqlite3_column_value(st, 0);
        // The built-in answers NULL for a NULL format, for an empty text and
        // for one past the limit (or out of memory): the same format after a
        // letter tells the empty text (one letter) from the rest.
        if (sqlite3_value_type(result) == SQLITE_NULL && argc > 0 &&
            sqlite3_value_type(argv[0]) != SQLITE_NULL && !empty(argc, argv)) {
            done(st);
            sqlite3_result_error_toobig(ctx);
            return;
        }
        sqlite3_result_value(ctx, result);
        done(st);
    }

private:
    // The handle, under the caller's length limit now (it differs while a
    // user's statement runs).
    bool open(sqlite3* caller) {
        if (!handle_ &&
            sqlite3_open_v2(":memory:", &handle_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                            nullptr) != SQLITE_OK) {
            sqlite3_close(handle_);
            handle_ = nullptr;
            return false;
        }
        sqlite3_limit(handle_, SQLITE_LIMIT_LENGTH, sqlite3_limit(caller, SQLITE_LIMIT_LENGTH, -1));
        return true;
    }

    // SELECT name(?1, ..., ?argc); `marked`: with a letter before the format.
    sqlite3_stmt* statement(int argc, bool marked) {
        auto& cache = marked ? marked_ : plain_;
        auto found = cache.find(argc);
        if (found != cache.end()) return found->second;
        std::string sql = std::string("SELECT ") + name_ + '(';
        for (int i = 1; i <= argc; ++i) {
            if (i > 1) sql += ',';
            sql += (i == 1 && marked) ? std::string("'x'||?1") : '?' + std::to_string(i);
        }
        sql += ')';
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(handle_, sql.c_str(), int(sql.size()), &st, nullptr) != SQLITE_OK) {
            sqlite3_finalize(st);
            return nullptr;
        }
        cache.emplace(argc, st);
        return st;
    }

    // Whether the built-in writes nothing for these arguments: the text of
    // the format after a letter is that letter alone. A literal before the
    // format never changes how the rest of it is read.
    bool empty(int argc, sqlite3_value** argv) {
        sqlite3_stmt* st = statement(argc, true);
        if (!st) return false;
        bool one = true;
        for (int i = 0; one && i < argc; ++i)
            one = sqlite3_bind_value(st, i + 1, argv[i]) == SQLITE_OK;
        one = one && sqlite3_step(st) == SQLITE_ROW && sqlite3_column_bytes(st, 0) == 1 &&
              sqlite3_column_type(st, 0) == SQLITE_TEXT;
        done(st);
        return one;
    }

    // Ready for the next call, holding no copy of the arguments or result.
    static void done(sqlite3_stmt* st) {
        sqlite3_reset(st);
        sqlite3_clear_bindings(st);
    }

    void fail(sqlite3_context* ctx, sqlite3_stmt* st = nullptr) {
        const int rc = sqlite3_errcode(handle_);
        if (rc == SQLITE_TOOBIG)
            sqlite3_result_error_toobig(ctx);
        else if (rc == SQLITE_NOMEM)
            sqlite3_result_error_nomem(ctx);
        else {
            sqlite3_result_error(ctx, sqlite3_errmsg(handle_), -1);
            sqlite3_result_error_code(ctx, rc);
        }
        if (st) done(st);
    }

    const char* name_;
    sqlite3* handle_ = nullptr;
    std::map<int, sqlite3_stmt*> plain_;
    std::map<int, sqlite3_stmt*> marked_;
};

void printfCall(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    static_cast<BuiltinPrintf*>(sqlite3_user_data(ctx))->call(ctx, argc, argv);
}

void forget(void* p) {
    delete static_cast<BuiltinPrintf*>(p);
}

}  // namespace

void HoldSqlitePrintfToLimit(sqlite3* handle) {
    if (!handle) return;
    // As the built-in: deterministic, and harmless where a view, a check
    // or a generated column of the file calls it.
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    for (const char* name : {"printf", "format"})
        sqlite3_create_function_v2(handle, name, -1, flags, new BuiltinPrintf(name), printfCall,
                                   nullptr, nullptr, forget);
}
