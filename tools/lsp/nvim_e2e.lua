-- Run by nvim_test.cpp in headless Neovim, started with the README's
-- configuration as init.lua: opens a deck (the configuration starts
-- velumar-lsp), waits for the diagnostics, jumps to a definition and applies
-- a code action; what it saw is written as JSON for the test.
local deck, result = os.getenv('VELUMAR_DECK'), os.getenv('VELUMAR_RESULT')
local seen = {}

local function finish()
  local f = io.open(result, 'w')
  f:write(vim.fn.json_encode(seen))
  f:close()
  vim.cmd('qa!')
end

local function diags(buf)
  local out = {}
  for _, d in ipairs(vim.diagnostic.get(buf)) do
    table.insert(out, { lnum = d.lnum, col = d.col, message = d.message, severity = d.severity })
  end
  table.sort(out, function(a, b) return a.lnum < b.lnum or (a.lnum == b.lnum and a.col < b.col) end)
  return out
end

local ok, err = pcall(function()
  vim.cmd('edit ' .. vim.fn.fnameescape(deck))
  local buf = vim.api.nvim_get_current_buf()
  seen.got_diagnostics = vim.wait(10000, function() return #vim.diagnostic.get(buf) > 0 end, 20)
  seen.diagnostics = diags(buf)

  -- Go to the definition of START from the END card (line 5, column 21).
  vim.api.nvim_win_set_cursor(0, { 5, 21 })
  vim.lsp.buf.definition()
  vim.wait(5000, function() return vim.api.nvim_win_get_cursor(0)[1] ~= 5 end, 20)
  seen.definition = vim.api.nvim_win_get_cursor(0)

  -- The code action on the card with the column slip, chosen as a user
  -- would pick the first entry of the menu (the diagnostic's fix-it).
  vim.ui.select = function(items, _, on_choice) on_choice(items[1], 1) end
  vim.api.nvim_win_set_cursor(0, { 2, 21 })
  local before = vim.api.nvim_buf_get_lines(buf, 1, 2, false)[1]
  vim.lsp.buf.code_action()
  vim.wait(5000, function() return vim.api.nvim_buf_get_lines(buf, 1, 2, false)[1] ~= before end, 20)
  seen.lines = vim.api.nvim_buf_get_lines(buf, 0, -1, false)

  -- The change reaches the server, which assembles again and publishes.
  vim.wait(5000, function()
    for _, d in ipairs(vim.diagnostic.get(buf)) do
      if d.lnum == 1 then return false end
    end
    return true
  end, 20)
  seen.diagnostics_after = diags(buf)
end)
if not ok then seen.error = tostring(err) end
finish()
