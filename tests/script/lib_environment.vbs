' The engine's name and version, the locale functions and GetObject.
AssertEq ScriptEngine, "VBScript", "ScriptEngine names the language"
AssertEq ScriptEngineMajorVersion, CLng(5), "major version"
AssertTrue ScriptEngineMinorVersion >= 0, "minor version"
AssertEq GetLocale, CLng(1033), "the invariant English locale"
AssertEq SetLocale(1031), CLng(1033), "SetLocale returns the locale before"
AssertEq CStr(1.5), "1,5", "SetLocale changes formatting (more in locale.vbs)"
AssertEq GetLocale, CLng(1031), "GetLocale returns what was set"
SetLocale 1033
AssertError "Set x = GetObject(""winmgmts:"")", 429, "GetObject binds to nothing"
AssertSummary
