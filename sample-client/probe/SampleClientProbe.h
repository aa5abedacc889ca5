// SampleClientProbe: what tests see of the stand-in runtime (lib\Quorvia.dll) in one install folder.
//
// The runtime appends each package path it is started with, UTF-8 and followed by a line feed, to started.txt beside
// itself, and shows a window of class "QuorviaSampleClient" titled with that path. The probe reads the record and
// ends the runtime's window again. Owned by one test; one thread.
#pragma once

#include <windows.h>

#include <string>

namespace sampleclient {

class SampleClientProbe {
public:
    // libFolder: the folder the runtime lies in (the install folder's lib).
    explicit SampleClientProbe(std::wstring libFolder);
    // Closes every runtime window this probe saw start, so no test leaves one behind.
    ~SampleClientProbe();
    SampleClientProbe(const SampleClientProbe&) = delete;
    SampleClientProbe& operator=(const SampleClientProbe&) = delete;

    std::wstring RecordPath() const { return mLibFolder + L"\\started.txt"; }
    bool Started() const;
    // The whole record: "<package>\n" for each start, in UTF-8; empty when there was none.
    std::string Record() const;
    // Waits until at least one complete line is recorded; false when the time is up.
    bool WaitForStart(DWORD timeoutMs) const;
    // Waits for the window titled package, closes it and waits for the runtime to end. False when the window never
    // appeared or the runtime did not end.
    bool CloseWindowOf(const std::wstring& package, DWORD timeoutMs);

private:
    std::wstring mLibFolder;
};

}  // namespace sampleclient
