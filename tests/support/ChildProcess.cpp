// Child processes for the end-to-end tests: a LiveProcess fed, waited for and read.
#include "support/ChildProcess.h"

#include "support/LiveProcess.h"

namespace dravo::test {

ProcessResult RunProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                         const std::filesystem::path& workingDirectory, const std::string& input,
                         std::chrono::milliseconds limit) {
    LiveProcess process(program, arguments, workingDirectory);
    process.WriteText(input);
    process.CloseInput();
    ProcessResult result;
    result.m_ExitStatus = process.Wait(limit);
    result.m_TimedOut = process.TimedOut();
    process.FinishReading();
    result.m_Stdout = process.Output();
    result.m_Stderr = process.Errors();
    return result;
}

} // namespace dravo::test
