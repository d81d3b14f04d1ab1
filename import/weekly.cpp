// The weekly download as a task of Windows' Task Scheduler (schtasks /Create
// /XML takes this definition).
#include <string>

#include "import.h"

namespace {

std::string escaped(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else if (c == '"') out += "&quot;";
        else out += c;
    }
    return out;
}

}  // namespace

std::string weeklyTaskXml(const std::string& program, const std::string& arguments, const std::string& folder,
                          const std::string& user)
{
    // A start in the past: the first run comes at the next Monday, 10:00, or
    // at once when the computer was off then (StartWhenAvailable).
    return "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"
           "<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\r\n"
           "  <RegistrationInfo>\r\n"
           "    <Description>poiguard: downloads the speed cameras into its POI list</Description>\r\n"
           "  </RegistrationInfo>\r\n"
           "  <Triggers>\r\n"
           "    <CalendarTrigger>\r\n"
           "      <StartBoundary>2026-01-05T10:00:00</StartBoundary>\r\n"
           "      <ScheduleByWeek>\r\n"
           "        <DaysOfWeek><Monday /></DaysOfWeek>\r\n"
           "        <WeeksInterval>1</WeeksInterval>\r\n"
           "      </ScheduleByWeek>\r\n"
           "    </CalendarTrigger>\r\n"
           "  </Triggers>\r\n"
           "  <Principals>\r\n"
           "    <Principal id=\"Author\">\r\n"
           "      <UserId>" + escaped(user) + "</UserId>\r\n"
           "      <LogonType>InteractiveToken</LogonType>\r\n"
           "      <RunLevel>LeastPrivilege</RunLevel>\r\n"
           "    </Principal>\r\n"
           "  </Principals>\r\n"
           "  <Settings>\r\n"
           "    <StartWhenAvailable>true</StartWhenAvailable>\r\n"
           "    <RunOnlyIfNetworkAvailable>true</RunOnlyIfNetworkAvailable>\r\n"
           "    <DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>\r\n"
           "    <StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>\r\n"
           "    <ExecutionTimeLimit>PT1H</ExecutionTimeLimit>\r\n"
           "    <MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>\r\n"
           "  </Settings>\r\n"
           "  <Actions Context=\"Author\">\r\n"
           "    <Exec>\r\n"
           "      <Command>" + escaped(program) + "</Command>\r\n"
           "      <Arguments>" + escaped(arguments) + "</Arguments>\r\n"
           "      <WorkingDirectory>" + escaped(folder) + "</WorkingDirectory>\r\n"
           "    </Exec>\r\n"
           "  </Actions>\r\n"
           "</Task>\r\n";
}
