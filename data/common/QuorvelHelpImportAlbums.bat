@echo off
rem Quorvel help: Import albums.
rem The text is written to the temporary folder and opened in Notepad;
rem the batch file ends at once, so the program does not wait on it.
setlocal
set "QVTEXT=%TEMP%\Quorvel Import albums.txt"
> "%QVTEXT%" echo.QUORVEL - IMPORTING AN ALBUM
>> "%QVTEXT%" echo.
>> "%QVTEXT%" echo.An album is a folder of photos of one scene, taken one after another
>> "%QVTEXT%" echo.while turning the camera from left to right. Quorvel places the photos
>> "%QVTEXT%" echo.side by side, in their order, into one long panorama.
>> "%QVTEXT%" echo.
>> "%QVTEXT%" echo.GOOD PHOTOS FOR AN ALBUM
>> "%QVTEXT%" echo.  - All photos of one album should have the same size and the same
>> "%QVTEXT%" echo.    orientation (all landscape or all portrait). Photos of a different
>> "%QVTEXT%" echo.    size are shown with the Collage stitching, with black gaps.
>> "%QVTEXT%" echo.  - Each photo's smaller side should be more than 300 pixels.
>> "%QVTEXT%" echo.  - An album holds at most 70 photos; more are not shown.
>> "%QVTEXT%" echo.  - Photo types: jpg, jpeg, bmp, png, gif, tif and tiff. Keep to one type
>> "%QVTEXT%" echo.    in an album: only photos of the first type found are shown.
>> "%QVTEXT%" echo.
>> "%QVTEXT%" echo.IMPORTING
>> "%QVTEXT%" echo.  1. Open the Home screen (F2) and press Import Album.
>> "%QVTEXT%" echo.  2. Choose the photos and give the new album a name.
>> "%QVTEXT%" echo.  3. The photos are copied into the new album's folder under
>> "%QVTEXT%" echo.     QuorvelAlbums; your originals are not changed. The new album
>> "%QVTEXT%" echo.     becomes album 1.
>> "%QVTEXT%" echo.  4. With more than one monitor, the Monitors panel opens so that you
>> "%QVTEXT%" echo.     can choose where the new album is shown.
>> "%QVTEXT%" echo.
>> "%QVTEXT%" echo.AFTER IMPORTING
>> "%QVTEXT%" echo.  Use the Photos panel to put the photos in order from left to right,
>> "%QVTEXT%" echo.  to turn or crop any that do not fit, and to delete the ones you do not
>> "%QVTEXT%" echo.  want. Use the Monitors panel to show another imported album as album 1
>> "%QVTEXT%" echo.  or album 2.
>> "%QVTEXT%" echo.
>> "%QVTEXT%" echo.Close this window when you have finished reading.
start "" notepad.exe "%QVTEXT%"
endlocal
