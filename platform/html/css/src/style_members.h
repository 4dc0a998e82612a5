// The members of the style interfaces that read and write one property as text (BSTR) or as a
// value (VARIANT), as lists for the classes to expand: X(scriptName), scriptName being a Prop too.
#pragma once

#define QX_STYLE_TEXT_PROPS(X)                                                                               \
    X(fontFamily)                                                                                            \
    X(fontStyle)                                                                                             \
    X(fontVariant)                                                                                           \
    X(fontWeight)                                                                                            \
    X(font)                                                                                                  \
    X(background)                                                                                            \
    X(backgroundImage)                                                                                       \
    X(backgroundRepeat)                                                                                      \
    X(backgroundAttachment)                                                                                  \
    X(backgroundPosition)                                                                                    \
    X(textDecoration)                                                                                        \
    X(textTransform)                                                                                         \
    X(textAlign)                                                                                             \
    X(margin)                                                                                                \
    X(padding)                                                                                               \
    X(border)                                                                                                \
    X(borderTop)                                                                                             \
    X(borderRight)                                                                                           \
    X(borderBottom)                                                                                          \
    X(borderLeft)                                                                                            \
    X(borderColor)                                                                                           \
    X(borderWidth)                                                                                           \
    X(borderStyle)                                                                                           \
    X(borderTopStyle)                                                                                        \
    X(borderRightStyle)                                                                                      \
    X(borderBottomStyle)                                                                                     \
    X(borderLeftStyle)                                                                                       \
    X(styleFloat)                                                                                            \
    X(clear)                                                                                                 \
    X(display)                                                                                               \
    X(visibility)                                                                                            \
    X(listStyleType)                                                                                         \
    X(listStylePosition)                                                                                     \
    X(listStyleImage)                                                                                        \
    X(listStyle)                                                                                             \
    X(whiteSpace)                                                                                            \
    X(overflow)                                                                                              \
    X(pageBreakBefore)                                                                                       \
    X(pageBreakAfter)                                                                                        \
    X(cursor)                                                                                                \
    X(clip)                                                                                                  \
    X(filter)

#define QX_STYLE_VALUE_PROPS(X)                                                                              \
    X(fontSize)                                                                                              \
    X(color)                                                                                                 \
    X(backgroundColor)                                                                                       \
    X(backgroundPositionX)                                                                                   \
    X(backgroundPositionY)                                                                                   \
    X(wordSpacing)                                                                                           \
    X(letterSpacing)                                                                                         \
    X(verticalAlign)                                                                                         \
    X(textIndent)                                                                                            \
    X(lineHeight)                                                                                            \
    X(marginTop)                                                                                             \
    X(marginRight)                                                                                           \
    X(marginBottom)                                                                                          \
    X(marginLeft)                                                                                            \
    X(paddingTop)                                                                                            \
    X(paddingRight)                                                                                          \
    X(paddingBottom)                                                                                         \
    X(paddingLeft)                                                                                           \
    X(borderTopColor)                                                                                        \
    X(borderRightColor)                                                                                      \
    X(borderBottomColor)                                                                                     \
    X(borderLeftColor)                                                                                       \
    X(borderTopWidth)                                                                                        \
    X(borderRightWidth)                                                                                      \
    X(borderBottomWidth)                                                                                     \
    X(borderLeftWidth)                                                                                       \
    X(width)                                                                                                 \
    X(height)                                                                                                \
    X(top)                                                                                                   \
    X(left)                                                                                                  \
    X(zIndex)

#define QX_STYLE2_TEXT_PROPS(X)                                                                              \
    X(tableLayout)                                                                                           \
    X(borderCollapse)                                                                                        \
    X(direction)                                                                                             \
    X(behavior)                                                                                              \
    X(unicodeBidi)                                                                                           \
    X(imeMode)                                                                                               \
    X(rubyAlign)                                                                                             \
    X(rubyPosition)                                                                                          \
    X(rubyOverhang)                                                                                          \
    X(layoutGridMode)                                                                                        \
    X(layoutGridType)                                                                                        \
    X(layoutGrid)                                                                                            \
    X(wordBreak)                                                                                             \
    X(lineBreak)                                                                                             \
    X(textJustify)                                                                                           \
    X(textJustifyTrim)                                                                                       \
    X(textAutospace)                                                                                         \
    X(overflowX)                                                                                             \
    X(overflowY)                                                                                             \
    X(accelerator)

#define QX_STYLE2_VALUE_PROPS(X)                                                                             \
    X(bottom)                                                                                                \
    X(right)                                                                                                 \
    X(layoutGridChar)                                                                                        \
    X(layoutGridLine)                                                                                        \
    X(textKashida)

#define QX_CURRENT_TEXT_PROPS(X)                                                                             \
    X(styleFloat)                                                                                            \
    X(fontFamily)                                                                                            \
    X(fontStyle)                                                                                             \
    X(fontVariant)                                                                                           \
    X(fontWeight)                                                                                            \
    X(backgroundImage)                                                                                       \
    X(backgroundRepeat)                                                                                      \
    X(borderTopStyle)                                                                                        \
    X(borderRightStyle)                                                                                      \
    X(borderBottomStyle)                                                                                     \
    X(borderLeftStyle)                                                                                       \
    X(textAlign)                                                                                             \
    X(textDecoration)                                                                                        \
    X(display)                                                                                               \
    X(visibility)                                                                                            \
    X(backgroundAttachment)                                                                                  \
    X(clear)                                                                                                 \
    X(listStyleType)                                                                                         \
    X(listStylePosition)                                                                                     \
    X(listStyleImage)                                                                                        \
    X(overflow)                                                                                              \
    X(pageBreakBefore)                                                                                       \
    X(pageBreakAfter)                                                                                        \
    X(cursor)                                                                                                \
    X(tableLayout)                                                                                           \
    X(borderCollapse)                                                                                        \
    X(direction)                                                                                             \
    X(behavior)                                                                                              \
    X(unicodeBidi)                                                                                           \
    X(imeMode)                                                                                               \
    X(rubyAlign)                                                                                             \
    X(rubyPosition)                                                                                          \
    X(rubyOverhang)                                                                                          \
    X(textAutospace)                                                                                         \
    X(lineBreak)                                                                                             \
    X(wordBreak)                                                                                             \
    X(textJustify)                                                                                           \
    X(textJustifyTrim)                                                                                       \
    X(layoutGridMode)                                                                                        \
    X(layoutGridType)                                                                                        \
    X(borderStyle)                                                                                           \
    X(borderColor)                                                                                           \
    X(borderWidth)                                                                                           \
    X(padding)                                                                                               \
    X(margin)                                                                                                \
    X(accelerator)                                                                                           \
    X(overflowX)                                                                                             \
    X(overflowY)                                                                                             \
    X(textTransform)

#define QX_CURRENT_VALUE_PROPS(X)                                                                            \
    X(color)                                                                                                 \
    X(backgroundColor)                                                                                       \
    X(fontSize)                                                                                              \
    X(backgroundPositionX)                                                                                   \
    X(backgroundPositionY)                                                                                   \
    X(borderLeftColor)                                                                                       \
    X(borderTopColor)                                                                                        \
    X(borderRightColor)                                                                                      \
    X(borderBottomColor)                                                                                     \
    X(borderTopWidth)                                                                                        \
    X(borderRightWidth)                                                                                      \
    X(borderBottomWidth)                                                                                     \
    X(borderLeftWidth)                                                                                       \
    X(left)                                                                                                  \
    X(top)                                                                                                   \
    X(width)                                                                                                 \
    X(height)                                                                                                \
    X(paddingLeft)                                                                                           \
    X(paddingTop)                                                                                            \
    X(paddingRight)                                                                                          \
    X(paddingBottom)                                                                                         \
    X(zIndex)                                                                                                \
    X(letterSpacing)                                                                                         \
    X(lineHeight)                                                                                            \
    X(textIndent)                                                                                            \
    X(verticalAlign)                                                                                         \
    X(marginTop)                                                                                             \
    X(marginRight)                                                                                           \
    X(marginBottom)                                                                                          \
    X(marginLeft)                                                                                            \
    X(right)                                                                                                 \
    X(bottom)                                                                                                \
    X(textKashida)                                                                                           \
    X(layoutGridChar)                                                                                        \
    X(layoutGridLine)
