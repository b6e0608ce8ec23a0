// A user interface for tests: answers come from a script, and everything shown is recorded.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "convert/user_interface.h"

class scripted_user_interface : public user_interface {
public:
    std::string title() const override { return "Sprandel 4.1"; }
    void error(const std::string& text) override { shown.push_back("error: " + text); }
    void message(const std::string& text) override { shown.push_back("message: " + text); }
    bool question(const std::string& text) override {
        shown.push_back("question: " + text);
        return next_answer(yes_no_answers, true);
    }
    continue_choice continue_or_abort(const std::string& dialog_title, const std::string& text) override {
        shown.push_back("continue: " + dialog_title + " | " + text);
        return next_answer(continue_answers, continue_choice{});
    }
    void internal_error(const std::string& dialog_title, const std::string& text) override {
        shown.push_back("internal: " + dialog_title + " | " + text);
    }
    void write_log(const std::string& line) override { log_lines.push_back(line); }

    std::deque<bool> yes_no_answers;                // default when empty: Yes
    std::deque<continue_choice> continue_answers;  // default when empty: Continue
    std::vector<std::string> shown;
    std::vector<std::string> log_lines;

private:
    template <class T>
    static T next_answer(std::deque<T>& answers, T fallback) {
        if (answers.empty()) return fallback;
        T answer = answers.front();
        answers.pop_front();
        return answer;
    }
};
