"""Runs the Win32 stub under Wine on a virtual display and watches it through the robot."""
