@echo off
rem Quorvel help: Photos panel.
rem The text is written to the temporary folder and opened in Notepad;
rem the batch file ends at once, so the program does not wait on it.
setlocal
set "QVTEXT=%TEMP%\Quorvel Photos panel.txt"
> "%QVTEXT%" echo.QUORVEL - PHOTOS PANEL
>> "%QVTEXT%" echo.
>> "%QVTEXT%" echo.The Photos panel shows the photos of an album as a row of small pictures,
>> "%QVTEXT%" echo.with a large view of the selected photo and its details (size, date,
>> "%QVTEXT%" echo.camera and exposure when the photo carries them).
>> "%QVTEXT%" echo.
>> "%QVTEXT%" echo.CHOOSING A PHOTO
>> "%QVTEXT%" echo.  Choose album 1 or album 2, then click a small picture. The large view
>> "%QVTEXT%" echo.  can fit the window or show the photo at its real size; drag it to look
>> "%QVTEXT%" echo.  around.
>> "%QVTEXT%" echo.
>> "%QVTEXT%" echo.CHANGING THE ORDER
>> "%QVTEXT%" echo.  Move the selected photo left or right. The album is shown in this
>> "%QVTEXT%" echo.  order, left to right.
>> "%QVTEXT%" echo.
>> "%QVTEXT%" echo.CHANGING A PHOTO
>> "%QVTEXT%" echo.  Flip or rotate it, halve its size, or crop and scale it so that it
>> "%QVTEXT%" echo.  matches the other photos of the album. Delete removes the photo from
>> "%QVTEXT%" echo.  the album (the copy in the album folder is deleted; your original is
>> "%QVTEXT%" echo.  not touched).
>> "%QVTEXT%" echo.
>> "%QVTEXT%" echo.PLAYBACK EFFECTS
>> "%QVTEXT%" echo.  Fall, Winter and Summer recolour the panorama. Try each on the large
>> "%QVTEXT%" echo.  view, then tick the ones the album should play. They take turns,
>> "%QVTEXT%" echo.  changing after every fifth round of the viewport.
>> "%QVTEXT%" echo.
>> "%QVTEXT%" echo.STITCHING
>> "%QVTEXT%" echo.  None      photos simply touch.
>> "%QVTEXT%" echo.  Blur      the seams between photos are softened.
>> "%QVTEXT%" echo.  Collage   photos are separated by black gaps. Albums whose photos
>> "%QVTEXT%" echo.            differ in size always use Collage.
>> "%QVTEXT%" echo.
>> "%QVTEXT%" echo.Close this window when you have finished reading.
start "" notepad.exe "%QVTEXT%"
endlocal
