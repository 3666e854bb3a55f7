; The benchmark's peer: a plain NSIS 3 installer of one product folder, as a publisher
; would write it with the defaults. Not part of the product; bench/run.sh builds it with
;   makensis -DPRODUCT=FOLDER -DOUT=PEER.exe bench/peer.nsi
; and runs it with /D=INSTALL-DIR, once with its page and once with /S (silent).
Unicode true
Target amd64-unicode
SetCompressor zlib
RequestExecutionLevel user

Name "Orvanta 4.00"
OutFile "${OUT}"
InstallDir "C:\bench-target"
AutoCloseWindow true

Page instfiles

Section
  SetOutPath "$INSTDIR"
  File /r "${PRODUCT}\*"
SectionEnd
