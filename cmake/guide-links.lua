-- Links between the guide's pages point at their HTML forms, so that they work
-- in the unpacked folder: "command-line.md#keys" becomes "command-line.html#keys".
-- Links with a scheme (https:, mailto:) are left as they are.
function Link(link)
  if not link.target:match("^%a[%w+.-]*:") then
    local target = link.target:gsub("^([^#]*)%.md(#?)", "%1.html%2")
    link.target = target
  end
  return link
end
