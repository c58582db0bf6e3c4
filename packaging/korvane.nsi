; The Korvane installer, one per bitness, made by the build's `packages` target:
;   makensis -DVERSION=x.y.z -DARCH=win64|win32 -DSTAGE=<installed files> -DOUTFILE=<exe>
; It installs the files of the zip under Program Files of its bitness, a Start menu
; entry for the recorder and an entry in the installed programs, both named apart from
; the other bitness's (which may be installed beside it). Files are replaced or removed
; only while no recorder runs: the user is asked to close it (a silent run ends instead,
; with exit code 2). Each of our codecs
; (Video 1 and the lossless ZMBV) is installed and registered only where no compressor
; of its format and this bitness is registered; the uninstaller takes back exactly what
; this installer added.
Unicode true
!if "${ARCH}" == "win64"
    Target amd64-unicode
    !define PROGRAMS_FOLDER "$PROGRAMFILES64"
    !define DISPLAY_NAME "Korvane"
!else
    Target x86-unicode
    !define PROGRAMS_FOLDER "$PROGRAMFILES"
    !define DISPLAY_NAME "Korvane (32-bit)"
!endif
!define SHORTCUT "$SMPROGRAMS\${DISPLAY_NAME}.lnk"
!include LogicLib.nsh
!include x64.nsh

!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Korvane"
!define DRIVERS_KEY "Software\Microsoft\Windows NT\CurrentVersion\Drivers32"
!define CODEC_VALUE "vidc.MSVC"
!define CODEC_FILE "kvmsvc.dll"
!define ZMBV_VALUE "vidc.ZMBV"
!define ZMBV_FILE "kvzmbv.dll"

Name "Korvane ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "${PROGRAMS_FOLDER}\Korvane"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails nevershow
ShowUninstDetails nevershow
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 ProductName "Korvane"
VIAddVersionKey /LANG=1033 CompanyName "Quillory"
VIAddVersionKey /LANG=1033 FileDescription "Korvane ${VERSION} installer (${ARCH})"
VIAddVersionKey /LANG=1033 FileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 ProductVersion "${VERSION}"
VIAddVersionKey /LANG=1033 LegalCopyright "Copyright (C) Quillory"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; The files of the package, all in the installation folder.
!macro ForEachFile DO
    !insertmacro ${DO} "korvane.exe"
    !insertmacro ${DO} "reelpane.exe"
    !insertmacro ${DO} "hook.dll"
    !insertmacro ${DO} "hookkey.dll"
    !insertmacro ${DO} "SkinMagic.dll"
    !insertmacro ${DO} "xplus.smf"
    !insertmacro ${DO} "${CODEC_FILE}"
    !insertmacro ${DO} "${ZMBV_FILE}"
    !insertmacro ${DO} "README.txt"
    !insertmacro ${DO} "LICENSE.txt"
!macroend
!macro PutFile NAME
    File "${STAGE}\${NAME}"
!macroend
!macro RemoveFile NAME
    Delete "$INSTDIR\${NAME}"
!macroend

; The registry view and system folder of this installer's bitness. A 32-bit installer
; on 64-bit Windows sees the 32-bit view and SysWOW64 through the system's redirection.
!macro ChooseView
    !if "${ARCH}" == "win64"
        SetRegView 64
    !endif
!macroend

; A compressor of the format VALUE names that is already registered (the system's own,
; or ours from an earlier install) is left as it is, and so is a codec file we did not put
; there. What was added is marked under the uninstall key, the marks named after MARK.
!macro RegisterCodec VALUE FILE MARK
    ReadRegStr $0 HKLM "${DRIVERS_KEY}" "${VALUE}"
    ${If} $0 == ""
        ${IfNot} ${FileExists} "$SYSDIR\${FILE}"
            SetOutPath "$SYSDIR"
            File "${STAGE}\${FILE}"
            WriteRegDWORD HKLM "${UNINST_KEY}" "${MARK}File" 1
        ${EndIf}
        WriteRegStr HKLM "${DRIVERS_KEY}" "${VALUE}" "${FILE}"
        WriteRegDWORD HKLM "${UNINST_KEY}" "${MARK}Registered" 1
    ${EndIf}
!macroend
!macro UnregisterCodec VALUE FILE MARK
    ReadRegDWORD $0 HKLM "${UNINST_KEY}" "${MARK}Registered"
    ${If} $0 == 1
        ; Only while the value still names our codec: a codec registered since is not ours.
        ReadRegStr $1 HKLM "${DRIVERS_KEY}" "${VALUE}"
        ${If} $1 == "${FILE}"
            DeleteRegValue HKLM "${DRIVERS_KEY}" "${VALUE}"
        ${EndIf}
    ${EndIf}
    ReadRegDWORD $0 HKLM "${UNINST_KEY}" "${MARK}File"
    ${If} $0 == 1
        Delete /REBOOTOK "$SYSDIR\${FILE}"
    ${EndIf}
!macroend

; A running recorder holds this mutex (recorder/app/single_instance.cpp), whichever
; bitness it is; its files, and a recording it has not saved, must not be pulled away.
!macro DefineRecorderClosed UN
Function ${UN}RecorderClosed
    retry:
        System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "Local\Korvane.Recorder") p .r0'
        StrCmp $0 0 closed
        System::Call 'kernel32::CloseHandle(p r0)'
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Korvane is running.$\r$\n$\r$\nStop and save any recording, close Korvane, then press Retry." /SD IDCANCEL IDRETRY retry
        SetErrorLevel 2
        Quit
    closed:
FunctionEnd
!macroend
!insertmacro DefineRecorderClosed ""
!insertmacro DefineRecorderClosed "un."

Function .onInit
    !if "${ARCH}" == "win64"
        ${IfNot} ${RunningX64}
            MessageBox MB_OK|MB_ICONSTOP "This installer is for 64-bit Windows; use the win32 one." /SD IDOK
            Abort
        ${EndIf}
    !endif
    !insertmacro ChooseView
FunctionEnd

Function un.onInit
    !insertmacro ChooseView
FunctionEnd

Section "Korvane"
    Call RecorderClosed
    SetShellVarContext all
    SetOutPath "$INSTDIR"
    !insertmacro ForEachFile PutFile
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "${SHORTCUT}" "$INSTDIR\korvane.exe"

    WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "${DISPLAY_NAME}"
    WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "Quillory"
    WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\korvane.exe"
    WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1

    !insertmacro RegisterCodec "${CODEC_VALUE}" "${CODEC_FILE}" "KorvaneCodec"
    !insertmacro RegisterCodec "${ZMBV_VALUE}" "${ZMBV_FILE}" "KorvaneZmbv"
SectionEnd

Section "Uninstall"
    Call un.RecorderClosed
    SetShellVarContext all
    !insertmacro UnregisterCodec "${CODEC_VALUE}" "${CODEC_FILE}" "KorvaneCodec"
    !insertmacro UnregisterCodec "${ZMBV_VALUE}" "${ZMBV_FILE}" "KorvaneZmbv"

    Delete "${SHORTCUT}"
    !insertmacro ForEachFile RemoveFile
    Delete "$INSTDIR\uninstall.exe"
    ; Only if empty: the user may have put files of their own there.
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINST_KEY}"
    ; The options this user had remembered.
    DeleteRegKey HKCU "Software\Korvane"
SectionEnd
