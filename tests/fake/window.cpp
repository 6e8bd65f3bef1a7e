// The setup window: present for as many looks as the world says.
#include "fake/fake_platform.h"

namespace {

std::string Text(LPCSTR s)
{
    return s == nullptr ? "null" : s;
}

}  // namespace

HWND FindWindowA(LPCSTR lpClassName, LPCSTR lpWindowName)
{
    fake::detail::Record("FindWindowA(" + Text(lpClassName) + "," + Text(lpWindowName) + ")");
    std::vector<bool> &answers = fake::TheWorld().windowAnswers;
    bool present = !answers.empty() && answers.front();
    if (!answers.empty())
        answers.erase(answers.begin());
    if (fake::detail::ShouldFail("FindWindowA") || !present)
        return nullptr;
    static char window;
    return reinterpret_cast<HWND>(&window);
}
