@echo off
rem Quorvel help: About.
rem The text is written to the temporary folder and opened in Notepad;
rem the batch file ends at once, so the program does not wait on it.
setlocal
set "QVTEXT=%TEMP%\Quorvel About.txt"
> "%QVTEXT%" echo.QUORVEL - ABOUT
>> "%QVTEXT%" echo.
>> "%QVTEXT%" echo.The About window shows the version of Quorvel and offers these commands:
>> "%QVTEXT%" echo.
>> "%QVTEXT%" echo.  Copy log      Saves a copy of Quorvel's error log (a .csv file you can
>> "%QVTEXT%" echo.                open in a spreadsheet) to a folder you choose, for
>> "%QVTEXT%" echo.                example to send it with a question.
>> "%QVTEXT%" echo.  Show terms    Shows the terms of use.
>> "%QVTEXT%" echo.  Cleanup       Deletes every album you imported, the picture caches,
>> "%QVTEXT%" echo.                the matting boards you added and any other files Quorvel
>> "%QVTEXT%" echo.                left in your folder, and puts the settings back as they
>> "%QVTEXT%" echo.                were installed. The two default albums and the installed
>> "%QVTEXT%" echo.                matting boards stay. Quorvel closes afterwards.
>> "%QVTEXT%" echo.  Repair        Copies the installed settings, help files and folders
>> "%QVTEXT%" echo.                into your folder again. If Quorvel still does not start
>> "%QVTEXT%" echo.                properly, repair the installation from Control Panel ^>
>> "%QVTEXT%" echo.                Programs and Features, then run Repair here.
>> "%QVTEXT%" echo.  Help          Shows this text.
>> "%QVTEXT%" echo.
>> "%QVTEXT%" echo.The same cleanup runs when Quorvel.exe is started with the switch /d.
>> "%QVTEXT%" echo.
>> "%QVTEXT%" echo.Close this window when you have finished reading.
start "" notepad.exe "%QVTEXT%"
endlocal
