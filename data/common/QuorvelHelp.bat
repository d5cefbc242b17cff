@echo off
rem Quorvel help: Home screen.
rem The text is written to the temporary folder and opened in Notepad;
rem the batch file ends at once, so the program does not wait on it.
setlocal
set "QVTEXT=%TEMP%\Quorvel Home screen.txt"
> "%QVTEXT%" echo.QUORVEL - HOME SCREEN
>> "%QVTEXT%" echo.
>> "%QVTEXT%" echo.Quorvel shows your nature panoramas. All photos of an album are joined
>> "%QVTEXT%" echo.side by side into one long picture, and a framed window glides slowly
>> "%QVTEXT%" echo.round its edge: right, up, left, down, and round again. The frame is cut
>> "%QVTEXT%" echo.from a matting board photo, and the album's phrase is written across the
>> "%QVTEXT%" echo.top of the frame.
>> "%QVTEXT%" echo.
>> "%QVTEXT%" echo.You can keep two albums. Each album can be shown on one or more
>> "%QVTEXT%" echo.monitors (up to six).
>> "%QVTEXT%" echo.
>> "%QVTEXT%" echo.OPENING THE HOME SCREEN
>> "%QVTEXT%" echo.  Press F2 in an album window, or choose Home-Quorvel from the window's
>> "%QVTEXT%" echo.  menu (click the icon at the top left of the window).
>> "%QVTEXT%" echo.
>> "%QVTEXT%" echo.THE HOME SCREEN
>> "%QVTEXT%" echo.  Album phrases    Type a new phrase for album 1 or album 2 and press
>> "%QVTEXT%" echo.                   Update phrase (or Enter).
>> "%QVTEXT%" echo.  Saver phrase     The phrase shown by the screen saver and by Lock.
>> "%QVTEXT%" echo.                   Press Update saver phrase to keep it.
>> "%QVTEXT%" echo.  Import Album     Copy photos of a new scene into a new album.
>> "%QVTEXT%" echo.  Photos Panel     Order, turn, crop and delete photos; choose colour
>> "%QVTEXT%" echo.                   effects and how the seams between photos look.
>> "%QVTEXT%" echo.  Mattings Panel   Choose the matting board of each album.
>> "%QVTEXT%" echo.  Phrases Panel    Edit the phrases and choose their font and colour.
>> "%QVTEXT%" echo.  Monitors Panel   Choose which monitor shows which album, and where
>> "%QVTEXT%" echo.                   your albums and matting boards are kept.
>> "%QVTEXT%" echo.  Power Panel      Make Quorvel your screen saver, set the wait time and
>> "%QVTEXT%" echo.                   the power plan used while it runs.
>> "%QVTEXT%" echo.  Lock             Start the screen saver, then lock the computer.
>> "%QVTEXT%" echo.  Sleep            Put the computer to sleep.
>> "%QVTEXT%" echo.
>> "%QVTEXT%" echo.WHEN RUN AS THE SCREEN SAVER
>> "%QVTEXT%" echo.  Any key or a mouse movement ends the screen saver. The Settings button
>> "%QVTEXT%" echo.  of the Windows screen saver settings opens this Home screen with the
>> "%QVTEXT%" echo.  panels that apply to the screen saver.
>> "%QVTEXT%" echo.
>> "%QVTEXT%" echo.YOUR FILES
>> "%QVTEXT%" echo.  Your settings, albums and matting boards are kept in the folder
>> "%QVTEXT%" echo.  Fenwold Quorvel inside your Application Data (Roaming) folder. Errors
>> "%QVTEXT%" echo.  are written to Quorvel_ErrorsLog.csv in the same folder.
>> "%QVTEXT%" echo.
>> "%QVTEXT%" echo.  About Quorvel ^> Cleanup puts everything back as it was installed.
>> "%QVTEXT%" echo.
>> "%QVTEXT%" echo.Close this window when you have finished reading.
start "" notepad.exe "%QVTEXT%"
endlocal
