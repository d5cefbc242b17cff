@echo off
rem Quorvel help: Power and screen saver.
rem The text is written to the temporary folder and opened in Notepad;
rem the batch file ends at once, so the program does not wait on it.
setlocal
set "QVTEXT=%TEMP%\Quorvel Power and screen saver.txt"
> "%QVTEXT%" echo.QUORVEL - POWER PANEL
>> "%QVTEXT%" echo.
>> "%QVTEXT%" echo.SCREEN SAVER
>> "%QVTEXT%" echo.  Tick the screen saver box to make Quorvel your Windows screen saver.
>> "%QVTEXT%" echo.  The theme box also sets the Quorvel desktop theme.
>> "%QVTEXT%" echo.  Set how many minutes the computer waits before the screen saver
>> "%QVTEXT%" echo.  starts, and whether Windows asks for your password when you come back
>> "%QVTEXT%" echo.  (the logon screen on resume).
>> "%QVTEXT%" echo.  Untick the screen saver box to go back to a blank screen saver.
>> "%QVTEXT%" echo.
>> "%QVTEXT%" echo.POWER PLAN
>> "%QVTEXT%" echo.  While Quorvel runs, Windows could turn the display off or put the
>> "%QVTEXT%" echo.  computer to sleep. Quorvel can switch to a power plan that keeps the
>> "%QVTEXT%" echo.  display on while it runs and switch back to your own plan when it
>> "%QVTEXT%" echo.  ends. Tick Use default power plan to leave your power plan alone.
>> "%QVTEXT%" echo.
>> "%QVTEXT%" echo.The panel closes with its close button.
>> "%QVTEXT%" echo.
>> "%QVTEXT%" echo.Close this window when you have finished reading.
start "" notepad.exe "%QVTEXT%"
endlocal
