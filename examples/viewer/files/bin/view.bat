@echo off
rem The Viewer of this example: shows the file it is given, in Notepad.
start notepad.exe %1
