// TestFolder: a uniquely named folder under the temporary folder for one test, removed with everything in it when
// the object ends. Unique per process and test name, so test programs running side by side never share one.
// Owned by the test that made it; one thread.
#pragma once

#include <string>

namespace testkit {

class TestFolder {
public:
    // name: the test's name (characters other than letters and digits become '-').
    explicit TestFolder(const std::string& name);
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    // The folder, without a trailing backslash. Empty when it could not be made.
    const std::wstring& Path() const { return mPath; }
    // Path() + "\" + relative.
    std::wstring operator/(const std::wstring& relative) const { return mPath + L"\\" + relative; }

private:
    std::wstring mPath;
};

} // namespace testkit
