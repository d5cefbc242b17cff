@echo off
rem Quorvel help: Matting boards.
rem The text is written to the temporary folder and opened in Notepad;
rem the batch file ends at once, so the program does not wait on it.
setlocal
set "QVTEXT=%TEMP%\Quorvel Matting boards.txt"
> "%QVTEXT%" echo.QUORVEL - MATTING BOARDS PANEL
>> "%QVTEXT%" echo.
>> "%QVTEXT%" echo.The matting board is the frame round the moving panorama. It is made by
>> "%QVTEXT%" echo.repeating a small square cut from a matting board photo, like a paper or
>> "%QVTEXT%" echo.fabric mat round a picture.
>> "%QVTEXT%" echo.
>> "%QVTEXT%" echo.CHOOSING A BOARD
>> "%QVTEXT%" echo.  Choose album 1 or album 2, then click a board in the list. The preview
>> "%QVTEXT%" echo.  shows the frame with the album's phrase on it, and the album window
>> "%QVTEXT%" echo.  changes at once.
>> "%QVTEXT%" echo.
>> "%QVTEXT%" echo.ADDING YOUR OWN BOARDS
>> "%QVTEXT%" echo.  Press the button that adds boards and choose photos: they are copied
>> "%QVTEXT%" echo.  into your QuorvelMattingBoards folder. Good boards are evenly textured
>> "%QVTEXT%" echo.  photos: paper, fabric, wood, stone. Each side of a board photo must be
>> "%QVTEXT%" echo.  more than 100 pixels. The whole photo is squeezed into the square, so
>> "%QVTEXT%" echo.  a square photo keeps its look best.
>> "%QVTEXT%" echo.
>> "%QVTEXT%" echo.Cleanup (in About Quorvel) deletes the boards you added and keeps the
>> "%QVTEXT%" echo.installed ones, 01 to 16, smiley, smilies and sox.
>> "%QVTEXT%" echo.
>> "%QVTEXT%" echo.Close this window when you have finished reading.
start "" notepad.exe "%QVTEXT%"
endlocal
