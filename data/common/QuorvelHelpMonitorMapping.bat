@echo off
rem Quorvel help: Monitor mapping.
rem The text is written to the temporary folder and opened in Notepad;
rem the batch file ends at once, so the program does not wait on it.
setlocal
set "QVTEXT=%TEMP%\Quorvel Monitor mapping.txt"
> "%QVTEXT%" echo.QUORVEL - MONITORS PANEL
>> "%QVTEXT%" echo.
>> "%QVTEXT%" echo.With more than one monitor, choose here which album each monitor shows.
>> "%QVTEXT%" echo.An album shown on several monitors stretches one window across all of
>> "%QVTEXT%" echo.them, so monitors side by side show one wide panorama.
>> "%QVTEXT%" echo.
>> "%QVTEXT%" echo.  - For each monitor (up to six), choose album 1, album 2 or none.
>> "%QVTEXT%" echo.  - Replace album 1 or album 2 by another album you imported before.
>> "%QVTEXT%" echo.  - Move the folder that holds your albums, or the folder that holds
>> "%QVTEXT%" echo.    your matting boards, to another place (for example another drive).
>> "%QVTEXT%" echo.  - Open the Windows display settings to arrange your monitors.
>> "%QVTEXT%" echo.
>> "%QVTEXT%" echo.If a monitor is added or removed, Quorvel shares the monitors out again
>> "%QVTEXT%" echo.when it starts.
>> "%QVTEXT%" echo.
>> "%QVTEXT%" echo.Close this window when you have finished reading.
start "" notepad.exe "%QVTEXT%"
endlocal
