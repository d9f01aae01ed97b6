@echo off
rem Runs QorvMakeDlf on the shipped ZEM example and shows what it made, then
rem builds the disc image with QorvImage and verifies it: what `make demo`
rem does on a POSIX host. The programs are the ones in the folder above this
rem one (the archive's layout). The outputs go to out\ beside this file; a
rem folder that cannot be written (under Program Files) is copied to a new
rem scratch folder first, where the outputs then go.
setlocal
for %%d in ("%~dp0..") do set "tools=%%~fd"
set "work=%~dp0"
if not exist "%tools%\QorvMakeDlf.exe" (
  echo demo: no QorvMakeDlf.exe in %tools% 1>&2
  exit /b 1
)
if not exist "%work%out" mkdir "%work%out" 2>nul
type nul >"%work%out\zem.log" 2>nul && goto run
set "work=%TEMP%\qorv-examples-%RANDOM%%RANDOM%\"
echo == %~dp0 is not written into: running a copy in %work%
xcopy /e /i /q "%~dp0." "%work%" >nul || exit /b 1
if not exist "%work%out" mkdir "%work%out" || exit /b 1

:run
cd /d "%work%"
if not exist common.ddf exit /b 1
for %%f in (zem.dlf zem_system.bin zem_config.bin zem.log zem.img) do if exist "out\%%f" del "out\%%f"

echo == Running: QorvMakeDlf common.ddf zem.ddf   (in %work%)
"%tools%\QorvMakeDlf.exe" common.ddf zem.ddf 2>out\zem.log
set status=%errorlevel%
echo -- Messages (standard error):
type out\zem.log
if not "%status%"=="0" (
  echo demo: QorvMakeDlf failed with exit status %status% 1>&2
  exit /b %status%
)

echo.
echo == Disk layout file out\zem.dlf:
type out\zem.dlf
echo.
echo == The HT example uses the same disc with ht.ddf in place of zem.ddf:
echo    cd %work% ^&^& "%tools%\QorvMakeDlf.exe" common.ddf ht.ddf
echo    (writes out\ht.dlf and out\ht_system.bin; HT mode has no configuration file)

echo.
echo == Running: QorvImage build out\zem.dlf, then QorvImage verify out\zem.dlf out\zem.img
"%tools%\QorvImage.exe" build -q out\zem.dlf
set status=%errorlevel%
if not "%status%"=="0" (
  echo demo: QorvImage build failed with exit status %status% 1>&2
  exit /b %status%
)
"%tools%\QorvImage.exe" verify out\zem.dlf out\zem.img
set status=%errorlevel%
if not "%status%"=="0" (
  echo demo: QorvImage verify failed with exit status %status% 1>&2
  exit /b %status%
)
exit /b 0
