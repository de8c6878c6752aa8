-- Reloads the "processed" snapshot in a fresh process and prints the plug-in's
-- parameter values, so the caller can compare them with what was set.
load_session(SESSION_DIR, "processed")
local route = Session:route_by_name("T")
if route:isnil() then print("FAIL no track") os.exit(1) end
local proc = route:nth_plugin(0)
if proc:isnil() then print("FAIL no plug-in after reload") os.exit(1) end
local plugin = proc:to_insert():plugin(0)
print("RELOADED " .. plugin:name())
for _, index in ipairs({ 0, 6, 23, 24, 27, 30 }) do
  print("GOT " .. index .. " " .. ARDOUR.LuaAPI.get_processor_param(proc, index, true))
end
close_session()
