@echo off
rem Quorvel help: Terms of use.
rem The text is written to the temporary folder and opened in Notepad;
rem the batch file ends at once, so the program does not wait on it.
setlocal
set "QVTEXT=%TEMP%\Quorvel Terms of use.txt"
> "%QVTEXT%" echo.QUORVEL - TERMS OF USE
>> "%QVTEXT%" echo.
>> "%QVTEXT%" echo.Quorvel is made by Fenwold.
>> "%QVTEXT%" echo.
>> "%QVTEXT%" echo.1. You may install and use Quorvel on your own computers, at home or at
>> "%QVTEXT%" echo.   work, and show it to anyone.
>> "%QVTEXT%" echo.2. Quorvel is provided as it is, without warranty of any kind. Fenwold
>> "%QVTEXT%" echo.   is not liable for any loss or damage arising from its use.
>> "%QVTEXT%" echo.3. Quorvel works only with files on your computer. It does not send your
>> "%QVTEXT%" echo.   photos, phrases or settings anywhere.
>> "%QVTEXT%" echo.4. The photos you import remain yours; Quorvel copies them into its own
>> "%QVTEXT%" echo.   folder and never changes your originals. The Cleanup command deletes
>> "%QVTEXT%" echo.   those copies.
>> "%QVTEXT%" echo.5. The pictures and matting boards installed with Quorvel may be used
>> "%QVTEXT%" echo.   with Quorvel.
>> "%QVTEXT%" echo.
>> "%QVTEXT%" echo.Close this window when you have finished reading.
start "" notepad.exe "%QVTEXT%"
endlocal
