@echo off
rem Quorvel help: Phrases.
rem The text is written to the temporary folder and opened in Notepad;
rem the batch file ends at once, so the program does not wait on it.
setlocal
set "QVTEXT=%TEMP%\Quorvel Phrases.txt"
> "%QVTEXT%" echo.QUORVEL - PHRASES PANEL
>> "%QVTEXT%" echo.
>> "%QVTEXT%" echo.Each album has a phrase, written across the top of its frame. The screen
>> "%QVTEXT%" echo.saver phrase is shown when Quorvel runs as the screen saver and by the
>> "%QVTEXT%" echo.Lock button.
>> "%QVTEXT%" echo.
>> "%QVTEXT%" echo.  - Type the phrase of album 1, of album 2 and of the screen saver (up
>> "%QVTEXT%" echo.    to 199 characters each).
>> "%QVTEXT%" echo.  - Choose the font, its size and style, and the colour of each album's
>> "%QVTEXT%" echo.    phrase.
>> "%QVTEXT%" echo.  - The strip at the top shows the result on the album's matting board.
>> "%QVTEXT%" echo.
>> "%QVTEXT%" echo.Changes are shown at once and kept when the panel closes.
>> "%QVTEXT%" echo.
>> "%QVTEXT%" echo.Short phrases read best: the frame is only as wide as the window.
>> "%QVTEXT%" echo.
>> "%QVTEXT%" echo.Close this window when you have finished reading.
start "" notepad.exe "%QVTEXT%"
endlocal
